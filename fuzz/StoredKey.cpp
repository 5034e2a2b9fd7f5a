// Stored-value decoder on arbitrary text: no crash; whatever decodes
// re-encodes to a value that decodes to the same bytes.
#include "session/core/StrCrypt.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string plain;
    try {
        plain = session::DecodeStoredKey(text);
    } catch (const session::EStoredKeyError&) {
        return 0;
    }
    if (session::DecodeStoredKey(session::EncodeStoredKey(plain)) != plain) std::abort();
    (void)session::DigitsToStr(text);
    return 0;
}
