#include "screen/ScreenFont.h"

#include "screen/core/BlockGlyphs.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <cstring>
#include <iconv.h>

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

namespace {

// One converter per thread: glyphs are rasterised on the GUI thread, but a
// tool may draw elsewhere.
struct TBig5Decoder {
    iconv_t Cd = iconv_t(-1);
    TBig5Decoder() { Cd = iconv_open("UTF-8", "CP950"); }
    ~TBig5Decoder() {
        if (Cd != iconv_t(-1)) iconv_close(Cd);
    }
    QString Decode(std::uint8_t lead, std::uint8_t trail) {
        if (Cd == iconv_t(-1)) return QString(QChar(0xFFFD));
        char in[2] = {char(lead), char(trail)};
        char out[16];
        char* ip = in;
        char* op = out;
        size_t il = 2, ol = sizeof out;
        iconv(Cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(Cd, &ip, &il, &op, &ol) == size_t(-1) || il != 0) return QString(QChar(0xFFFD));
        return QString::fromUtf8(out, int(op - out));
    }
};

} // namespace

QString CellText(std::uint8_t lead, std::uint8_t trail) {
    if (trail) {
        thread_local TBig5Decoder decoder;
        return decoder.Decode(lead, trail);
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
