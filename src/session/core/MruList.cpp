#include "session/core/MruList.h"

#include <algorithm>

namespace session {

void MruAdd(std::vector<std::string>& items, const std::string& text, int maxCount) {
    auto it = std::find(items.begin(), items.end(), text);
    if (it != items.end()) items.erase(it);
    items.insert(items.begin(), text);
    if (maxCount >= 0 && static_cast<int>(items.size()) > maxCount)
        items.resize(static_cast<std::size_t>(maxCount));
}

TMruRemoval MruRemove(std::vector<std::string>& items, const std::string& shown) {
    TMruRemoval r;
    auto it = std::find(items.begin(), items.end(), shown);
    if (it == items.end()) return r;
    const int index = static_cast<int>(it - items.begin());
    items.erase(it);
    r.Removed = true;
    if (!items.empty())
        r.Selected = std::min(std::max(index - 1, 0), static_cast<int>(items.size()) - 1);
    return r;
}

} // namespace session
