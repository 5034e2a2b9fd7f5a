// Pieces of the desktop's group/key text files (desktop entries,
// mimeapps.list) and of the XDG folder variables that several readers share.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace win {

// The text without the blanks a line or value loses at either end: spaces
// and tabs, and at the end also the CR of a CRLF line end.
std::string_view TrimDesktopBlanks(std::string_view s);

// The absolute folders of a colon-separated list (fallback when the list is
// empty), each ending in "/"; empty and relative items are skipped.
std::vector<std::string> AbsoluteFolderList(std::string_view list, std::string_view fallback);

// The names of a colon-separated desktop list (XDG_CURRENT_DESKTOP) in lower
// case; empty names and names with "/" are skipped.
std::vector<std::string> DesktopNameList(std::string_view list);

// The items of a ";"-separated value, each trimmed; empty items are kept, a
// final ";" adds none.
std::vector<std::string> SemicolonList(std::string_view value);

} // namespace win
