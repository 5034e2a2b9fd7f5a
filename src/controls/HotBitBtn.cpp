#include "controls/HotBitBtn.h"

#include "controls/ControlPaint.h"

#include <QMouseEvent>
#include <QPainter>

THotBitBtn::THotBitBtn(QWidget* parent) : QPushButton(parent) {
    // The normal look is what the button has when made.
    FNormalColor = FHotColor = FDownColor = palette().color(QPalette::Active, QPalette::Button);
    FNormalFontColor = palette().color(QPalette::Active, QPalette::ButtonText);
    FColor = FNormalColor;
    FFontColor = FNormalFontColor;
    connect(this, &QPushButton::clicked, this, [this] {
        if (OnClick) OnClick(this);
    });
}

void THotBitBtn::SetGlyph(const QImage& g) {
    FGlyph = g;
    update();
}

void THotBitBtn::Show(const QColor& face, const QColor& font) {
    FColor = face;
    FFontColor = font;
    update();
}

void THotBitBtn::enterEvent(QEnterEvent* e) {
    FHot = true;
    Show(FHotColor, FHotFontColor);
    QPushButton::enterEvent(e);
}

void THotBitBtn::leaveEvent(QEvent* e) {
    FHot = false;
    Show(FNormalColor, FNormalFontColor);
    QPushButton::leaveEvent(e);
}

void THotBitBtn::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) Show(FDownColor, FDownFontColor);
    QPushButton::mousePressEvent(e);
}

void THotBitBtn::mouseReleaseEvent(QMouseEvent* e) {
    // The colours first: the click below may delete the button.
    if (e->button() == Qt::LeftButton) Show(FHotColor, FHotFontColor);
    QPushButton::mouseReleaseEvent(e);
}

void THotBitBtn::changeEvent(QEvent* e) {
    if (e->type() == QEvent::PaletteChange) {
        const QColor face = palette().color(QPalette::Active, QPalette::Button);
        if (FNormalColor == FColor) FColor = face;
        FNormalColor = face;
    }
    QPushButton::changeEvent(e);
}

namespace {

// A disabled button's picture: grey and half faded; what the picture leaves
// see-through stays so, and the face shows there.
QImage DisabledGlyph(const QImage& glyph) {
    QImage g = glyph.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < g.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(g.scanLine(y));
        for (int x = 0; x < g.width(); ++x) {
            const int grey = qGray(line[x]);
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 2);
        }
    }
    return g;
}

} // namespace

void THotBitBtn::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, FColor);
    DrawControlEdge(p, r, isDown() ? controls::TEdgeStyle::Sunken : controls::TEdgeStyle::Raised,
                    palette());
    const QPoint shift = isDown() ? QPoint(1, 1) : QPoint(0, 0);
    const QFontMetrics fm(font());
    const int textW = text().isEmpty() ? 0 : fm.horizontalAdvance(QString(text()).remove('&'));
    const int gap = !FGlyph.isNull() && textW ? 4 : 0;
    const int total = FGlyph.width() + gap + textW;
    int x = (r.width() - total + 1) / 2;
    p.setClipRect(r.adjusted(2, 2, -2, -2));
    if (!FGlyph.isNull()) {
        const QImage g = isEnabled() ? FGlyph : DisabledGlyph(FGlyph);
        p.drawImage(QPoint(x, (r.height() - FGlyph.height() + 1) / 2) + shift, g);
        x += FGlyph.width() + gap;
    }
    if (textW) {
        p.setPen(isEnabled() ? FFontColor : palette().color(QPalette::Active, QPalette::Dark));
        p.setFont(font());
        p.drawText(QRect(x, 0, r.width() - x, r.height()).translated(shift),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, text());
    }
}
