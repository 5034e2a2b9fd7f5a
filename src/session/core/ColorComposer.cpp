#include "session/core/ColorComposer.h"

namespace session {

char ControlLetter(std::string_view box) {
    if (box.empty()) return 0;
    char c = box[0];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return c >= 'A' && c <= 'Z' ? c : 0;
}

std::string ColorHead(const TColorChoice& c) {
    switch (c.Head) {
    case 0:
        return "\x1b\x1b[";
    case 1: {
        const char letter = c.Letter >= 'A' && c.Letter <= 'Z' ? c.Letter : 'U';
        return std::string(1, static_cast<char>(letter - 64)) + "[";
    }
    default:
        return "[";
    }
}

std::string BuildCode(const TColorChoice& c, TColorPart part) {
    std::string s = ColorHead(c);
    if (c.HighLight) s += "1;";
    if (c.Underline) s += "4;";
    if (c.Flash) s += "5;";
    if (c.Inverse) s += "7;";
    const bool text = part != TColorPart::Back && c.Text >= 0 && c.Text <= 7;
    const bool back = part != TColorPart::Text && c.Back >= 0 && c.Back <= 7;
    // Appended piece by piece: a prefix glued onto a temporary makes GCC 12
    // warn about an overlapping copy inside the library.
    if (text) {
        s += '3';
        s += std::to_string(c.Text);
        s += ';';
    }
    if (back) {
        s += '4';
        s += std::to_string(c.Back);
        s += ';';
    }
    if (s.size() > ColorHead(c).size() && s.back() == ';') s.pop_back();
    return s + "m";
}

std::string NormalCode(const TColorChoice& c) {
    return ColorHead(c) + "0m";
}

} // namespace session
