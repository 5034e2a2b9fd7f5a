// Stored colours (0x00BBGGRR, or a system colour with the high bit set) as
// Qt colours; system colours map onto the palette's roles.
#pragma once
#include "session/core/MainSettings.h"

#include <QColor>
#include <QPalette>

QColor ColorFromTColor(TColor color, const QPalette& palette);
// The stored form of a colour the user picked (never a system colour).
TColor TColorFromColor(const QColor& color);
