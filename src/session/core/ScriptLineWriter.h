// Lines of a script file for sessions or sites: a block head
// "#name host port [keyword]" and the login text as one line. Script files
// split words at blanks and classify a line by its first character, so a
// site whose words hold a blank, whose host is empty, or whose login text
// starts with "#", "%" or "`" would read back as another host or line; such
// sites are refused rather than written wrongly.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace session {

struct TScriptSite {
    std::string Name; // the site name (alias)
    std::string Host;
    std::string Port;
    std::string KeyWord; // trigger string; empty = none
    std::string Login;   // plain login text, lines joined by "^M"; empty = none
};

// True when the site's lines read back as the same site.
bool ScriptSiteWritable(const TScriptSite& site);

// Appends the site's lines (a head, then the login line when there is one).
void AppendScriptLines(const TScriptSite& site, std::vector<std::string>& lines);

// The file's bytes: every line ended by CR LF.
std::string ScriptFileText(const std::vector<std::string>& lines);

// A file name without a dot gets ".txt".
std::string ScriptFileName(std::string name);

} // namespace session
