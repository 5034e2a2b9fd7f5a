#include "session/core/LoginText.h"

#include "platform/core/Big5.h"

namespace session {

std::vector<std::string> SplitLoginText(std::string_view text) {
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (win::IsBig5Lead(c) && i + 1 < text.size()) {
            pieces.back() += text.substr(i, 2);
            ++i;
        } else if (c == '^' && i + 1 < text.size() && (text[i + 1] == 'M' || text[i + 1] == 'm')) {
            pieces.emplace_back();
            ++i;
        } else {
            pieces.back() += static_cast<char>(c);
        }
    }
    return pieces;
}

std::string LoginTextToMemo(std::string_view text) {
    std::string memo;
    bool first = true;
    for (const auto& piece : SplitLoginText(text)) {
        if (!first) memo += "\r\n";
        memo += piece;
        first = false;
    }
    return memo;
}

std::string MemoToLoginText(std::string_view memo) {
    std::string out;
    for (std::size_t i = 0; i < memo.size(); ++i) {
        if (memo[i] == '\r' && i + 1 < memo.size() && memo[i + 1] == '\n') {
            out += "^M";
            ++i;
        } else {
            out += memo[i];
        }
    }
    return out;
}

} // namespace session
