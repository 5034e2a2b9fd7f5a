#include "session/core/TextLines.h"

namespace textlines {

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string UploadBytes(std::string_view fileText) {
    const std::vector<std::string> lines = SplitLines(fileText);
    std::string out;
    out.reserve(fileText.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) out.push_back('\r');
        out += lines[i];
    }
    return out;
}

} // namespace textlines
