// Login-text memo conversion on arbitrary bytes: no crash, the pieces hold
// every byte but the marks, and a text without CR LF survives the memo.
#include "session/core/LoginText.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto pieces = session::SplitLoginText(text);
    std::size_t bytes = 0;
    for (const auto& p : pieces)
        bytes += p.size();
    if (bytes + 2 * (pieces.size() - 1) != text.size()) std::abort();
    std::string memo = session::LoginTextToMemo(text);
    if (text.find('\r') == std::string_view::npos &&
        session::MemoToLoginText(memo).size() != text.size())
        std::abort();
    return 0;
}
