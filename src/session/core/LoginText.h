// The login text of a site as the login-text editor shows it: the stored
// text keeps its lines joined by "^M" (the login-script Enter), the editor
// shows one line a row.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace session {

// The pieces between the "^M" marks ("^m" too). A Big5 pair is one
// character, so a pair whose second byte is "^" never starts a mark. A text
// ending in a mark has an empty last piece.
std::vector<std::string> SplitLoginText(std::string_view text);

// The editor's text: the pieces with CR LF between them.
std::string LoginTextToMemo(std::string_view text);
// Back to the stored form: every CR LF becomes "^M", every other byte stays.
std::string MemoToLoginText(std::string_view memo);

} // namespace session
