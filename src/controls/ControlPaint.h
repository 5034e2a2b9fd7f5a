// Drawing helpers the custom controls share: 3-D edges in palette colours,
// the dropdown arrow, and fonts named by the design mapped onto installed
// families.
#pragma once
#include "controls/core/ButtonLayout.h"

#include <QFont>
#include <QPalette>
#include <QRect>

class QPainter;

// Draws an edge of the given style around r (raised or sunken, two pixels;
// flat ones one pixel) in the palette's Light, Midlight, Dark and Shadow.
void DrawControlEdge(QPainter& p, const QRect& r, controls::TEdgeStyle style,
                     const QPalette& palette);
// The dropdown arrow: a filled 5-pixel-wide triangle (x-2,y),(x+2,y),(x,y+2).
void DrawDropArrow(QPainter& p, int x, int y, const QColor& color);
QRect ToQRect(const controls::TRect& r);
// A font of the given face: when no installed family has that name it is
// mapped through font substitution to a family that is installed.
QFont ControlFont(const QString& face, int pointSize);
