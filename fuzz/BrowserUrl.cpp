// The browser address rule on arbitrary link text (what a host puts on the
// screen): no crash, and whatever it lets through is an http or https
// address without control characters, so it can only ever be a web link
// handed over as one argument.
#include "session/core/ConnectRules.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto url = session::BrowserUrl(text);
    if (!url || url->empty()) return 0;
    std::string lower;
    for (char c : url->substr(0, 8))
        lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    if (lower.rfind("http://", 0) != 0 && lower.rfind("https://", 0) != 0) std::abort();
    for (char c : *url)
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7F) std::abort();
    return 0;
}
