#include "session/core/ScriptLineWriter.h"

namespace session {
namespace {

// A word of a block head: words are separated by blanks, and line ends
// would split the line.
bool GoodWord(std::string_view w) {
    return w.find_first_of(" \r\n") == std::string_view::npos;
}

} // namespace

bool ScriptSiteWritable(const TScriptSite& s) {
    if (s.Name.empty() || s.Host.empty()) return false;
    if (!GoodWord(s.Name) || !GoodWord(s.Host) || !GoodWord(s.Port) || !GoodWord(s.KeyWord))
        return false;
    if (s.Login.find_first_of("\r\n") != std::string::npos) return false;
    if (!s.Login.empty() && (s.Login[0] == '#' || s.Login[0] == '%' || s.Login[0] == '`'))
        return false;
    return true;
}

void AppendScriptLines(const TScriptSite& s, std::vector<std::string>& lines) {
    std::string head = "#" + s.Name + " " + s.Host + " " + s.Port;
    if (!s.KeyWord.empty()) head += " " + s.KeyWord;
    lines.push_back(std::move(head));
    if (!s.Login.empty()) lines.push_back(s.Login);
}

std::string ScriptFileText(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

std::string ScriptFileName(std::string name) {
    auto slash = name.find_last_of('/');
    std::string_view base = slash == std::string::npos ? std::string_view(name)
                                                       : std::string_view(name).substr(slash + 1);
    if (base.find('.') == std::string_view::npos) name += ".txt";
    return name;
}

} // namespace session
