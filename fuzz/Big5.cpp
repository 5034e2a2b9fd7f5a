// Code page 950 conversions on arbitrary bytes: no crash, the UTF-8 view is
// always well formed, and converting it back never grows without bound.
#include "platform/core/Big5.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

static bool ValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        std::size_t n = b < 0x80         ? 1
                        : (b >> 5) == 6  ? 2
                        : (b >> 4) == 14 ? 3
                        : (b >> 3) == 30 ? 4
                                         : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string utf8 = win::Big5ToUtf8(bytes);
    if (!ValidUtf8(utf8)) std::abort();
    if (win::Utf8ToBig5(utf8).size() > 2 * size) std::abort();
    if (win::Utf8ToBig5(bytes).size() > size) std::abort();
    std::vector<win::TBig5Part> parts(size);
    win::PairBig5Row(data, size, parts.data());
    return 0;
}
