// Fills a screen's key table from the keys of a keyboard map. The main
// window's load at connect time and the editor's apply share it; they differ
// only in what they do with an empty map and with keys past the 64th, which
// the result reports.
#pragma once
#include "screen/core/KeyTable.h"

#include <string>
#include <utility>
#include <vector>

namespace session {

struct TKeyMapBuild {
    int Filled = 0;        // entries filled from the map
    bool Overflow = false; // a 65th usable key was met and left out
};

// Walks the keys in order, skipping empty values and names that are not key
// names; the n-th kept key fills entry n. Entries after the last filled one
// are cleared.
TKeyMapBuild BuildKeyTable(const std::vector<std::pair<std::string, std::string>>& keys,
                           TKeyTable& table);

} // namespace session
