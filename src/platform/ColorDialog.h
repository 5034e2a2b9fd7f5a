// The colour dialog used wherever the user picks a colour: the session
// list, the address book's tint, the preferences' palette.
#pragma once
#include <QColor>

#include <cstdint>

class QWidget;

namespace win {

// Opens the colour dialog on `color`. On OK the choice is stored in `color`
// and the result is true; on Cancel `color` is left as it was.
bool ChooseColor(QWidget* parent, QColor& color);

// The same for a colour kept as 0x00BBGGRR, as the settings files store it.
bool ChooseColor(QWidget* parent, std::uint32_t& bgr);

} // namespace win
