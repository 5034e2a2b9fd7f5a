// The host box's history: the last hosts connected to, most recent first.
#pragma once
#include <string>
#include <vector>

namespace session {

// Puts `text` at the front (moving it when it is already listed) and keeps
// at most `maxCount` entries (a negative limit keeps none).
void AddToHistory(std::vector<std::string>& items, const std::string& text, int maxCount);

} // namespace session
