#include "sitelist/core/SendRoad.h"

#include "platform/core/Big5.h"

namespace sitelist {

TSendRoad ChooseSendRoad(bool clientConnected, bool clientWindowKnown, std::string_view address) {
    if (address.empty()) return TSendRoad::None;
    if (clientConnected && clientWindowKnown && address.size() <= kRecordFieldBytes)
        return TSendRoad::Record;
    return TSendRoad::Start;
}

std::string CutAtCharBoundary(std::string_view text, std::size_t maxBytes) {
    std::size_t end = 0;
    while (end < text.size()) {
        bool pair = win::IsBig5Lead(static_cast<unsigned char>(text[end])) && end + 1 < text.size();
        std::size_t next = end + (pair ? 2 : 1);
        if (next > maxBytes) break;
        end = next;
    }
    return std::string(text.substr(0, end));
}

namespace {

// Blanks (and, for the alias, colons) as their full-width forms; Big5 pairs
// pass whole so a second byte is never taken for a blank or colon.
void AppendWide(std::string& out, std::string_view text, bool colons) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (win::IsBig5Lead(c) && i + 1 < text.size()) {
            out += text.substr(i, 2);
            ++i;
        } else if (c == ' ') {
            out += "\xA1\x40";
        } else if (c == ':' && colons) {
            out += "\xA1\x47";
        } else {
            out += static_cast<char>(c);
        }
    }
}

} // namespace

std::string StartArgument(std::string_view alias, std::string_view address, int port) {
    std::string arg = "telnet://";
    AppendWide(arg, alias, true);
    arg += ';';
    AppendWide(arg, address, false);
    arg += ';';
    arg += std::to_string(port);
    return arg;
}

} // namespace sitelist
