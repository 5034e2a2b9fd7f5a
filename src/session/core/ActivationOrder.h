// The session list's index bookkeeping: the activation order (session
// indexes, most recently activated first) kept right when a session closes
// or a list row is dragged elsewhere, and where a dropped row lands.
#pragma once
#include <vector>

namespace session {

using TActivationOrder = std::vector<int>;

// Session `index` is gone: its entries are removed and higher indexes move
// down by one, so every entry still names the same session.
void RemoveFromOrder(TActivationOrder& order, int index);
// Puts `index` at the front (removing it where it was).
void MoveToFront(TActivationOrder& order, int index);
// A session moved from `from` to `to` in the list (the ones between shift by
// one): every entry is renumbered to keep naming the same session.
void MoveInOrder(TActivationOrder& order, int from, int to);

// Where a dragged row goes: `target` is the row under the mouse (top row
// plus the hovered visible row). A row dropped below itself lands one above
// the target, and not at all when that is its own place or the next one.
// -1 when nothing moves.
int DropDestination(int source, int target, int count);

} // namespace session
