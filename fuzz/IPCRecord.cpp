// Site records from arbitrary bytes: a record of any size is read or refused
// without reading past it, and what is read encodes back to the same fields.
#include "session/core/IPCRecord.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TIPCSiteRecord r;
    if (DecodeIPCRecord(data, size, r)) {
        if (r.Alias.size() > kIPCFieldMax || r.Address.size() > kIPCFieldMax) __builtin_trap();
        TIPCSiteRecord again;
        std::string bytes = EncodeIPCRecord(r);
        if (!DecodeIPCRecord(bytes.data(), bytes.size(), again) || again.Port != r.Port)
            __builtin_trap();
        // Re-encoding may only shorten a text that ended inside a character.
        if (again.Alias.size() > r.Alias.size() ||
            r.Alias.compare(0, again.Alias.size(), again.Alias))
            __builtin_trap();
    }
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string cut = CutBig5(text, size % 40);
    if (cut.size() > size % 40 || text.substr(0, cut.size()) != cut) __builtin_trap();
    return 0;
}
