#include "session/core/HandlerCommand.h"

#include <algorithm>
#include <cctype>
#include <string_view>

std::string HandlerCommandFor(const std::string& programPath) {
    // Desktop-entry quoting: inside the quotes " ` $ \ take a backslash,
    // and "%" is doubled, since a lone one starts a field code.
    std::string quoted = "\"";
    for (char c : programPath) {
        if (c == '"' || c == '\\' || c == '`' || c == '$') quoted += '\\';
        quoted += c;
        if (c == '%') quoted += '%';
    }
    std::string command = quoted + "\" %u";
    // Some launchers look the program up before they replace the field
    // codes, and would look for the "%%" itself: a path with "%" is started
    // through env, whose own name has none.
    if (programPath.find('%') != std::string::npos) command = "env " + command;
    return command;
}

bool HandlerNamesProgram(const std::string& command, const std::string& programFile) {
    std::size_t start = command.find_first_not_of(" \t");
    if (start == std::string::npos || programFile.empty()) return false;
    // "env PROGRAM ..." names PROGRAM.
    if (command.compare(start, 4, "env ") == 0) start = command.find_first_not_of(" \t", start + 4);
    if (start == std::string::npos) return false;
    std::string program;
    if (command[start] == '"') {
        for (std::size_t i = start + 1; i < command.size() && command[i] != '"'; ++i) {
            // Inside quotes a backslash escapes only these (desktop entry rules).
            if (command[i] == '\\' && i + 1 < command.size() &&
                std::string_view("\"`$\\").find(command[i + 1]) != std::string_view::npos)
                ++i;
            else if (command[i] == '%' && i + 1 < command.size() && command[i + 1] == '%')
                ++i;
            program += command[i];
        }
    } else {
        std::size_t end = command.find_first_of(" \t", start);
        program = command.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
    std::size_t slash = program.find_last_of("/\\:");
    std::string file = slash == std::string::npos ? program : program.substr(slash + 1);
    return file.size() == programFile.size() &&
           std::equal(file.begin(), file.end(), programFile.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}
