// Searching every site of the list by a keyword.
#pragma once
#include "sitelist/core/SiteList.h"

#include <string>
#include <string_view>
#include <vector>

namespace sitelist {

struct TSearchHit {
    int Line = 0;
    TSiteFields Fields;
    std::string FolderPath; // folder names from the top level down, "/" between
};

// True when keyword occurs in text starting and ending on character
// boundaries (Big5 pairs counted from the first byte), so a letter never
// matches the second byte of a Chinese character. Case-sensitive.
bool ContainsAtCharBoundary(std::string_view text, std::string_view keyword);

// Every site whose whole line holds the keyword (every site for an empty
// keyword), in file order.
std::vector<TSearchHit> SearchSites(const TSiteList& list, std::string_view keyword);

} // namespace sitelist
