// The line box's decisions: which Ctrl keys become control bytes for the
// session, what is sent, and which texts its history keeps.
#pragma once
#include <string>
#include <string_view>

namespace session {

// Ctrl + key in the line box: the byte key AND 31 for the session, or -1
// when the key keeps its editing meaning there and sends nothing: the
// arrows, Home, End, PgUp, PgDn, Insert, Delete, the F-keys, the digits of
// both blocks and the keys that are only shifts or locks.
int LineCtrlByte(int vk);

// The bytes sent for the box's text (code page 950), with CR LF when asked.
std::string LineToSend(std::string_view big5, bool lineEnd);

// The history keeps texts of more than one byte: one ASCII character is
// not kept, one Big5 character is.
bool KeptInLineHistory(std::string_view big5);

} // namespace session
