// The command the desktop runs for telnet links, and whether it names this
// program.
#pragma once
#include <string>

// The command this program registers (an Exec line): the quoted program
// path and the link's place holder; a path with "%" runs through env.
std::string HandlerCommandFor(const std::string& programPath);

// True when command runs a program whose file name is programFile (letter
// case ignored). The program is the command's first word after an "env",
// in quotes or up to the first blank; its file name is what follows the last "/", "\" or ":".
bool HandlerNamesProgram(const std::string& command, const std::string& programFile);
