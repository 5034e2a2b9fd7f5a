// The font dialog of the preferences and of printing.
#pragma once
#include <QFont>

class QWidget;

namespace win {

// Opens the font dialog on `font` as the screen shows it: a family that is
// not installed opens on the family that stands in for it, not on the
// toolkit's default, and on the font's own face (upright for an upright
// font, not the family's first face). On OK the choice is stored in `font` and the result is
// true. `fixedPitch` lists only fixed-pitch fonts (Chinese ones among them).
bool ChooseFont(QWidget* parent, QFont& font, bool fixedPitch = false);

} // namespace win
