#include "screen/ScreenFont.h"

#include "platform/core/Big5.h"
#include "screen/core/BlockGlyphs.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

QString DefaultScreenFace() {
    return QStringLiteral("細明體");
}
QString FallbackScreenFamily() {
    return QStringLiteral("AR PL UMing TW");
}

void EnsureFaceAvailable(const QString& face) {
    if (face.isEmpty() || face == FallbackScreenFamily()) return;
    if (QFontDatabase::families().contains(face, Qt::CaseInsensitive)) return;
    if (!QFont::substitutes(face).contains(FallbackScreenFamily()))
        QFont::insertSubstitution(face, FallbackScreenFamily());
}

QFont PrepareScreenFont(QFont font) {
    EnsureFaceAvailable(font.family());
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferMatch));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    return font;
}

QFont MakeScreenFont(const QString& face, int pointSize) {
    QFont font(face);
    font.setPointSize(std::max(1, pointSize));
    return PrepareScreenFont(font);
}

QString CellText(std::uint8_t lead, std::uint8_t trail) {
    if (trail) {
        const char32_t c = win::Big5PairToUnicode(lead, trail);
        return QString::fromUcs4(&c, 1);
    }
    if (lead >= 32 && lead < 127) return QString(QChar(lead));
    return {};
}

void TQtGlyphRasterizer::SetFont(const QFont& font, int cellWidth, int cellHeight) {
    FFont = font;
    FCellWidth = std::max(1, cellWidth);
    FCellHeight = std::max(1, cellHeight);
    FAscent = QFontMetrics(FFont).ascent();
}

void TQtGlyphRasterizer::Rasterize(TPixelBuffer& out, std::uint8_t lead, std::uint8_t trail,
                                   TBgr fg, TBgr bg) {
    const QString text = CellText(lead, trail);
    if (text.isEmpty() || text == QLatin1String(" ")) return;
    const QList<uint> cps = text.toUcs4();
    if (cps.size() == 1 && DrawBlockGlyph(out, char32_t(cps[0]), fg)) return;
    QImage image(out.Width(), out.Height(), QImage::Format_RGB32);
    image.fill(QColor(bg.R, bg.G, bg.B));
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(FFont);
        p.setPen(QColor(fg.R, fg.G, fg.B));
        // Centre glyphs narrower than their cells (proportional Latin
        // letters of a CJK face); wider ones start at the cell's left.
        const int advance = QFontMetrics(FFont).horizontalAdvance(text);
        const int x = advance < out.Width() ? (out.Width() - advance) / 2 : 0;
        p.drawText(QPoint(x, FAscent), text);
    }
    for (int y = 0; y < out.Height(); ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* d = out.Line(y);
        for (int x = 0; x < out.Width(); ++x, d += 3) {
            d[0] = std::uint8_t(qBlue(s[x]));
            d[1] = std::uint8_t(qGreen(s[x]));
            d[2] = std::uint8_t(qRed(s[x]));
        }
    }
}
