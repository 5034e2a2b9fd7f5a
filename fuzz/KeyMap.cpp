// Key-map loader on arbitrary bytes: every section builds a table without a
// crash, never more than 64 entries, every value at most 50 bytes.
#include "session/core/KeyMapBuilder.h"
#include "session/core/KeysFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    win::TIniText text(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& section : text.Sections()) {
        TKeyTable table{};
        session::TKeyMapBuild r = session::BuildKeyTable(session::ReadKeyMap(text, section), table);
        if (r.Filled < 0 || r.Filled > KeyTableSize) std::abort();
        for (int i = 0; i < KeyTableSize; ++i) {
            const TKeyMapEntry& e = table[static_cast<std::size_t>(i)];
            if (e.Value[0] > 50 || (i >= r.Filled && e.ScanCode != 0)) std::abort();
            if (i < r.Filled && e.ScanCode == 0) std::abort();
        }
    }
    (void)session::EnsureDefaultKeyMap(text);
    if (session::ReadKeyMap(text, "Default").size() < 21) std::abort();
    return 0;
}
