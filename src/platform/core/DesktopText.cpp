#include "platform/core/DesktopText.h"

#include "platform/core/Folders.h"

#include <cctype>

namespace win {

std::string_view TrimDesktopBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string> AbsoluteFolderList(std::string_view list, std::string_view fallback) {
    std::string_view s = list.empty() ? fallback : list;
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= s.size()) {
        std::size_t end = s.find(':', start);
        if (end == std::string_view::npos) end = s.size();
        std::string_view item = s.substr(start, end - start);
        if (!item.empty() && item.front() == '/')
            out.push_back(IncludeTrailingPathDelimiter(std::string(item)));
        start = end + 1;
    }
    return out;
}

std::vector<std::string> DesktopNameList(std::string_view list) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string_view::npos) end = list.size();
        std::string d(list.substr(start, end - start));
        for (char& c : d)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!d.empty() && d.find('/') == std::string::npos) out.push_back(d);
        start = end + 1;
    }
    return out;
}

std::vector<std::string> SemicolonList(std::string_view value) {
    std::vector<std::string> out;
    while (!value.empty()) {
        std::size_t semi = value.find(';');
        out.emplace_back(TrimDesktopBlanks(value.substr(0, semi)));
        value.remove_prefix(semi == std::string_view::npos ? value.size() : semi + 1);
    }
    return out;
}

} // namespace win
