#include "controls/LblEffct.h"

#include "controls/ControlPaint.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <QShortcutEvent>

using namespace controls;

QColor controls::ToQColor(TColor c) {
    return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF));
}

TColor controls::FromQColor(const QColor& c) {
    return TColor(c.red()) | TColor(c.green()) << 8 | TColor(c.blue()) << 16;
}

TLabelEffect::TLabelEffect(QWidget* parent) : QWidget(parent) {
    resize(142, 33);
    FColor = palette().color(QPalette::Window);
    setFont(ControlFont(QStringLiteral("Times New Roman"), 20));
}

void TLabelEffect::Apply(bool repaint) {
    if (repaint) update();
}

QColor TLabelEffect::FontColor() const {
    return ToQColor(FModel.ColourFace());
}

void TLabelEffect::SetFontColor(const QColor& c) {
    Apply(FModel.FontColourChanged(FromQColor(c)));
}

void TLabelEffect::SetFontFace(const QString& face, int pointSize) {
    setFont(ControlFont(face, pointSize));
    update();
}

void TLabelEffect::SetBitmap(const QImage& v) {
    FBitmap = v;
    update();
}

void TLabelEffect::SetAngle(int v) {
    if (!FModel.SetAngle(v)) return;
    if (FModel.ForcesLeftAlignment()) FAlignment = laLeftJustify;
    update();
}

void TLabelEffect::SetCaption(const QString& v) {
    if (v == FCaption) return;
    FCaption = v;
    UpdateAccelerator();
    update();
}

void TLabelEffect::UpdateAccelerator() {
    if (FAccelId) releaseShortcut(FAccelId);
    FAccelId = 0;
    const QKeySequence key = FShowAccelChar ? QKeySequence::mnemonic(FCaption) : QKeySequence();
    if (!key.isEmpty()) FAccelId = grabShortcut(key, Qt::WindowShortcut);
}

bool TLabelEffect::event(QEvent* e) {
    if (e->type() == QEvent::Shortcut &&
        static_cast<QShortcutEvent*>(e)->shortcutId() == FAccelId && FAccelId) {
        if (FFocusControl && FFocusControl->isEnabled())
            FFocusControl->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    return QWidget::event(e);
}

void TLabelEffect::SetAlignment(TLabelAlignment v) {
    if (FModel.ForcesLeftAlignment()) v = laLeftJustify;
    if (v == FAlignment) return;
    FAlignment = v;
    update();
}

void TLabelEffect::SetColor(const QColor& v) {
    if (v == FColor) return;
    FColor = v;
    update();
}

void TLabelEffect::SetTransparent(bool v) {
    if (v == FTransparent) return;
    FTransparent = v;
    update();
}

void TLabelEffect::SetWordWrap(bool v) {
    if (v == FWordWrap) return;
    FWordWrap = v;
    update();
}

void TLabelEffect::SetShowAccelChar(bool v) {
    if (v == FShowAccelChar) return;
    FShowAccelChar = v;
    UpdateAccelerator();
    update();
}

void TLabelEffect::Assign(const TLabelEffect& o) {
    FAlignment = o.FAlignment;
    FAutoSize = o.FAutoSize;
    setEnabled(o.isEnabled());
    FFocusControl = o.FFocusControl;
    FShowAccelChar = o.FShowAccelChar;
    setToolTip(o.toolTip());
    FTransparent = o.FTransparent;
    setVisible(o.isVisible());
    FWordWrap = o.FWordWrap;
    FBitmap = o.FBitmap;
    FCaption = o.FCaption;
    UpdateAccelerator();
    FColor = o.FColor;
    setFont(o.font());
    setCursor(o.cursor());
    FModel = o.FModel;
    update();
}

// ---- Mouse --------------------------------------------------------------------------

void TLabelEffect::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton) FPressed = true;
    if (FModel.AsButton()) {
        if (e->button() == Qt::LeftButton) Apply(FModel.MouseDown(isEnabled()));
        return;
    }
    if (OnMouseDown) OnMouseDown(this, e->button(), p.x(), p.y());
}

void TLabelEffect::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (FModel.AsButton()) {
        Apply(FModel.MouseMove(e->buttons() == Qt::LeftButton, p.x(), p.y(), width(), height()));
        return;
    }
    if (OnMouseMove) OnMouseMove(this, p.x(), p.y());
}

void TLabelEffect::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    const bool click = FPressed && e->button() == Qt::LeftButton && rect().contains(p);
    if (e->button() == Qt::LeftButton) FPressed = false;
    if (FModel.AsButton()) {
        if (e->button() == Qt::LeftButton) Apply(FModel.MouseUp(p.x(), p.y(), width(), height()));
    } else if (OnMouseUp) {
        QPointer<TLabelEffect> self(this);
        OnMouseUp(this, e->button(), p.x(), p.y());
        if (!self) return;
    }
    if (click && isEnabled() && OnClick) OnClick(this);
}

void TLabelEffect::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
    if (OnDblClick) OnDblClick(this);
}

// ---- Painting -----------------------------------------------------------------------

int TLabelEffect::TextFlags() const {
    int flags = FAlignment == laRightJustify ? Qt::AlignRight
                : FAlignment == laCenter     ? Qt::AlignHCenter
                                             : Qt::AlignLeft;
    flags |= Qt::AlignTop;
    flags |= FShowAccelChar ? Qt::TextShowMnemonic : 0;
    if (FWordWrap) flags |= Qt::TextWordWrap;
    return flags;
}

void TLabelEffect::DrawCopy(QPainter& p, const QPoint& origin, const TLayerCopy& copy,
                            const QBrush& brush) const {
    QFont f = font();
    if (copy.FontDelta) f.setPointSize(std::max(1, f.pointSize() + copy.FontDelta));
    // Each copy goes to a mask first, so faces filled from a gradient or a
    // bitmap are drawn through the letters.
    QImage layer(size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter lp(&layer);
        lp.setFont(f);
        lp.setPen(Qt::white);
        const QPoint at = origin + QPoint(copy.Dx, copy.Dy);
        const int angle = FModel.Angle();
        if (angle == 0) {
            // Without wrapping the origin carries the alignment; wrapped
            // lines align within the label's width.
            const int flags =
                FWordWrap ? TextFlags() : TextFlags() & ~(Qt::AlignRight | Qt::AlignHCenter);
            lp.drawText(QRect(at.x(), at.y(), FWordWrap ? width() : width() * 4, height() * 4),
                        flags, FCaption);
        } else if (!FModel.KeepLettersVertical()) {
            lp.translate(at);
            lp.rotate(-angle);
            lp.drawText(QPoint(0, lp.fontMetrics().ascent()), FCaption);
        } else {
            // Upright letters along the rotated baseline.
            const QFontMetrics fm(f);
            double along = 0;
            for (const QChar ch : FCaption) {
                const QPointF pos(at.x() + along * FModel.Cos(), at.y() - along * FModel.Sin());
                lp.drawText(pos + QPointF(0, fm.ascent()), QString(ch));
                along += fm.horizontalAdvance(ch);
            }
        }
        // The colour goes over the whole layer, not the rotated frame the
        // letters were drawn in.
        lp.resetTransform();
        lp.setCompositionMode(QPainter::CompositionMode_SourceIn);
        lp.fillRect(layer.rect(), brush);
    }
    p.drawImage(0, 0, layer);
}

QImage TLabelEffect::Render() const {
    QImage out(size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(FTransparent ? QColor(Qt::transparent) : FColor);
    QPainter p(&out);
    p.setClipRect(rect());
    const QFontMetrics fm(font());
    const int basePoints = font().pointSize() > 0 ? font().pointSize() : 12;
    auto widthAt = [&](int delta) {
        QFont f = font();
        f.setPointSize(std::max(1, basePoints + delta));
        return QFontMetrics(f).horizontalAdvance(FCaption);
    };
    auto layer = [&](TEffectDirection d, int depth, TEffectOption s, TResizeOption r, TColor c,
                     TColor g) {
        return LayerCopies(TLayerSpec{d, depth, s, r, c, g}, basePoints, widthAt);
    };
    const auto shadow =
        layer(FModel.DirectionShadow(), FModel.DepthShadow(), FModel.StyleShadow(),
              FModel.ResizeShadow(), FModel.ColourShadow(), FModel.GraduateShadow());
    const auto highlight =
        layer(FModel.DirectionHighlight(), FModel.DepthHighlight(), FModel.StyleHighlight(),
              FModel.ResizeHighlight(), FModel.ColourHighlight(), FModel.GraduateHighlight());
    // Room for the copies that lie up or left of the face.
    int minDx = 0, minDy = 0;
    for (const auto* copies : {&shadow, &highlight})
        for (const auto& c : *copies) {
            minDx = std::min(minDx, c.Dx);
            minDy = std::min(minDy, c.Dy);
        }
    QPoint origin(-minDx, -minDy);
    if (FModel.Angle() == 0 && FAlignment != laLeftJustify && !FWordWrap) {
        const int textW = fm.horizontalAdvance(FCaption);
        const int room = std::max(0, width() - textW);
        origin.rx() += FAlignment == laRightJustify ? room + minDx : room / 2;
    }
    if (FModel.Angle() != 0 && !FModel.KeepLettersVertical()) {
        // Rotate about the label's centre.
        const double w = fm.horizontalAdvance(FCaption), h = fm.height();
        const QPointF centre(width() / 2.0, height() / 2.0);
        const QPointF half(w / 2 * FModel.Cos() + h / 2 * FModel.Sin(),
                           -w / 2 * FModel.Sin() + h / 2 * FModel.Cos());
        origin = (centre - half).toPoint();
    }
    for (const auto& c : shadow)
        DrawCopy(p, origin, c, QBrush(ToQColor(c.Colour)));
    for (const auto& c : highlight)
        DrawCopy(p, origin, c, QBrush(ToQColor(c.Colour)));

    // The face.
    const QColor face = ToQColor(FModel.ColourFace()), from = ToQColor(FModel.GraduateFrom());
    const QRectF r = rect();
    QBrush brush(face);
    switch (FModel.GraduateFace()) {
    case goNone:
    case goRIndented:
    case goLIndented:
        break;
    case goVertical:
    case goHorizontal:
    case goFDiagonal:
    case goBDiagonal: {
        const auto g = FModel.GraduateFace();
        QLinearGradient lg(g == goBDiagonal ? r.topRight() : r.topLeft(),
                           g == goVertical     ? r.bottomLeft()
                           : g == goHorizontal ? r.topRight()
                           : g == goFDiagonal  ? r.bottomRight()
                                               : r.bottomLeft());
        lg.setColorAt(0, from);
        lg.setColorAt(1, face);
        brush = QBrush(lg);
        break;
    }
    case goBoxed: {
        QRadialGradient rg(r.center(), std::max(r.width(), r.height()) / 2);
        rg.setColorAt(0, face);
        rg.setColorAt(1, from);
        brush = QBrush(rg);
        break;
    }
    }
    if (!FBitmap.isNull()) brush = QBrush(FBitmap);
    const auto g = FModel.GraduateFace();
    if (g == goRIndented || g == goLIndented) {
        // Indented faces: further copies along pairs of directions, the
        // first of each pair in the graduate colour, the second in the face.
        static constexpr TEffectDirection pairs[8][2] = {
            {edUpLeft, edUpRight},     {edLeft, edRight}, {edUp, edUp},
            {edDownLeft, edDownRight}, {edNone, edNone},  {edUpRight, edUpLeft},
            {edDown, edDown},          {edRight, edLeft}};
        const int first = g == goRIndented ? 0 : 4;
        for (int i = first; i < first + 4; ++i) {
            const TStep a = DirectionStep(pairs[i][0]), b = DirectionStep(pairs[i][1]);
            DrawCopy(p, origin, TLayerCopy{a.Dx, a.Dy, 0, 0}, QBrush(from));
            DrawCopy(p, origin, TLayerCopy{b.Dx, b.Dy, 0, 0}, QBrush(face));
        }
    }
    DrawCopy(p, origin, TLayerCopy{0, 0, FModel.ColourFace(), 0}, brush);
    return out;
}

void TLabelEffect::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, Render());
}
