#include "controls/ControlPaint.h"

#include <QFontDatabase>
#include <QPainter>

QRect ToQRect(const controls::TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

namespace {

// One pixel ring: top and left in tl, bottom and right in br.
void Ring(QPainter& p, const QRect& r, const QColor& tl, const QColor& br) {
    if (r.width() <= 0 || r.height() <= 0) return;
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), tl);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), tl);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), br);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), br);
}

} // namespace

void DrawControlEdge(QPainter& p, const QRect& r, controls::TEdgeStyle style,
                     const QPalette& palette) {
    using controls::TEdgeStyle;
    const QColor light = palette.color(QPalette::Light), mid = palette.color(QPalette::Midlight);
    const QColor dark = palette.color(QPalette::Dark), shadow = palette.color(QPalette::Shadow);
    switch (style) {
    case TEdgeStyle::None:
        break;
    case TEdgeStyle::FlatRaised:
        Ring(p, r, light, dark);
        break;
    case TEdgeStyle::FlatSunken:
        Ring(p, r, dark, light);
        break;
    case TEdgeStyle::Raised:
        Ring(p, r, light, shadow);
        Ring(p, r.adjusted(1, 1, -1, -1), mid, dark);
        break;
    case TEdgeStyle::Sunken:
        Ring(p, r, dark, light);
        Ring(p, r.adjusted(1, 1, -1, -1), shadow, mid);
        break;
    }
}

void DrawDropArrow(QPainter& p, int x, int y, const QColor& color) {
    p.fillRect(QRect(x - 2, y, 5, 1), color);
    p.fillRect(QRect(x - 1, y + 1, 3, 1), color);
    p.fillRect(QRect(x, y + 2, 1, 1), color);
}

QFont ControlFont(const QString& face, int pointSize) {
    static const QStringList fallbacks{QStringLiteral("DejaVu Serif"),
                                       QStringLiteral("AR PL UMing TW"),
                                       QStringLiteral("DejaVu Sans")};
    if (!face.isEmpty() && !QFontDatabase::families().contains(face, Qt::CaseInsensitive) &&
        QFont::substitutes(face).isEmpty()) {
        const QStringList families = QFontDatabase::families();
        for (const QString& f : fallbacks)
            if (families.contains(f, Qt::CaseInsensitive)) {
                QFont::insertSubstitution(face, f);
                break;
            }
    }
    QFont font(face);
    font.setPointSize(std::max(1, pointSize));
    return font;
}
