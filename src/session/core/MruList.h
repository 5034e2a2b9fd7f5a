// A most-recently-used drop-down list (host box, line box, script and find
// histories): new texts go to the front, a repeated text moves there, and
// removing the shown entry selects its upper neighbour.
#pragma once
#include <string>
#include <vector>

namespace session {

// Puts text at the front, moving an equal entry there instead of adding
// it; with maxCount >= 0 the list is cut to that many entries.
void MruAdd(std::vector<std::string>& items, const std::string& text, int maxCount = -1);

struct TMruRemoval {
    bool Removed = false; // the text was an entry
    int Selected = -1;    // the entry to select and show; -1 = clear the box
};

// Removes the entry equal to shown. Then the entry at max(index - 1, 0),
// limited to the last one, is selected; none left means the box is cleared.
// A text that is no entry changes nothing (Removed false, Selected -1).
TMruRemoval MruRemove(std::vector<std::string>& items, const std::string& shown);

} // namespace session
