// Speed-key strings and hand-edited speed-key sections on arbitrary bytes:
// no crash, decoding never makes a string longer, and every key of a table
// read from any file decodes within the same bound.
#include "session/core/SpeedKeys.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string decoded = session::DecodeSpeedKey(bytes);
    if (decoded.size() > bytes.size()) std::abort();

    win::TIniText ini(bytes);
    const session::TSpeedTable table = session::ReadSpeedTable(ini);
    for (const session::TSpeedGroup& g : table)
        for (const std::string& key : g.Keys)
            if (session::DecodeSpeedKey(key).size() > key.size()) std::abort();
    session::WriteSpeedTable(ini, table);
    return 0;
}
