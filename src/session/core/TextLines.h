// Text files read as lines: CR LF, LF or a lone CR end a line, and a line
// end at the very end of the file adds no empty line.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace textlines {

std::vector<std::string> SplitLines(std::string_view text);

// The bytes an upload sends: every line but the last followed by one CR,
// the line bytes themselves untouched.
std::string UploadBytes(std::string_view fileText);

} // namespace textlines
