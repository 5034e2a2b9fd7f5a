// Fonts for the screen: the design's face names mapped onto installed CJK
// fonts, and the glyph rasteriser the cell renderers draw from.
#pragma once
#include "screen/core/CellRenderer.h"

#include <QFont>
#include <QString>

// The face a screen starts with, as settings files name it.
QString DefaultScreenFace();
// The installed font that stands in for faces this system does not have.
QString FallbackScreenFamily();

// Makes face usable: when no installed family has that name, it is mapped
// through font substitution to the fallback CJK family.
void EnsureFaceAvailable(const QString& face);

// A cell font of the given face and size: substituted when needed, and
// without anti-aliasing, so every pixel is either text or background and
// black stays a clean see-through colour over pictures.
QFont MakeScreenFont(const QString& face, int pointSize);
// The same font settings applied to a font chosen elsewhere.
QFont PrepareScreenFont(QFont font);

// The text of one cell byte or of a Big5 lead and trail pair; a pair that
// does not convert gives the replacement character, a lone byte above 127
// gives nothing.
QString CellText(std::uint8_t lead, std::uint8_t trail);

class TQtGlyphRasterizer : public TGlyphRasterizer {
public:
    // The font and the cell it draws into (cell height includes line spacing).
    void SetFont(const QFont& font, int cellWidth, int cellHeight);
    void Rasterize(TPixelBuffer& out, std::uint8_t lead, std::uint8_t trail, TBgr fg,
                   TBgr bg) override;

private:
    QFont FFont;
    int FCellWidth = 8, FCellHeight = 16, FAscent = 12;
};
