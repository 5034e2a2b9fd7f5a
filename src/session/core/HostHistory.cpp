#include "session/core/HostHistory.h"

#include <algorithm>

namespace session {

void AddToHistory(std::vector<std::string>& items, const std::string& text, int maxCount) {
    auto it = std::find(items.begin(), items.end(), text);
    if (it == items.end())
        items.insert(items.begin(), text);
    else if (it != items.begin())
        std::rotate(items.begin(), it, it + 1);
    const std::size_t limit = maxCount < 0 ? 0 : static_cast<std::size_t>(maxCount);
    if (items.size() > limit) items.resize(limit);
}

} // namespace session
