// The order in which the five toolbars are docked at start-up, so that each
// dock shows them in their saved rows and positions.
#pragma once
#include "session/core/MainSettings.h"

#include <array>

// Toolbar indexes sorted by (DockRow, DockPos, fixed order Connection,
// Function, Shortcut, SpeedBtn, Line). Any values sort, large and negative
// ones included, so every toolbar is docked exactly once.
std::array<int, tbCount> DockOrder(const std::array<TToolbarSettings, tbCount>& bars);
