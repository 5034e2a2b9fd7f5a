// The script-file reader on arbitrary bytes: it ends, no block or word
// holds a line end, and no block holds more bytes than the input.
#include "session/core/ScriptFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 16) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto blocks = session::ReadScriptBlocks(text);
    for (const auto& b : blocks) {
        for (const std::string* w : {&b.Name, &b.Host, &b.Port, &b.KeyWord}) {
            if (w->find_first_of("\r\n ") != std::string::npos) std::abort();
            if (w->size() > size) std::abort();
        }
        if (b.Name.empty()) std::abort();
        if (b.Login.find_first_of("\r\n") != std::string::npos) std::abort();
        // Joins add two bytes per line end at most.
        if (b.Login.size() > 2 * size) std::abort();
        if ((b.Trigger != 0) != !b.KeyWord.empty()) std::abort();
    }
    if (blocks.size() > size) std::abort();
    return 0;
}
