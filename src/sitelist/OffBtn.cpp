// TOfficeButton: properties, glyphs, mouse and keyboard, painting.
#include "sitelist/OffBtn.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QShortcut>

using namespace sitelist;

QColor ToQColor(TColor c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

TOfficeButton::TOfficeButton(QWidget* parent) : QWidget(parent) {
    resize(70, 23);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    FHoverFont = font();
    LoadGlyphs();
    if (parent) WatchWindow();
    connect(qApp, &QApplication::focusChanged, this, [this] { update(); });
}

// ---- glyphs --------------------------------------------------------------------

QImage TOfficeButton::BuiltinGlyph(int index) {
    QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    if (index < 1 || index > 24) return img;
    int set = (index - 1) / 4, state = (index - 1) % 4; // hot, disabled, down, normal
    static const QColor inks[4] = {QColor(0, 64, 192), QColor(150, 150, 150), QColor(0, 32, 96),
                                   QColor(32, 32, 32)};
    QColor ink = inks[state];
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ink, 1.5));
    switch (set) {
    case 0: // push button: a ticked box
        p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 2, 2);
        p.drawPolyline(QPolygonF({QPointF(5, 8), QPointF(7, 11), QPointF(11, 5)}));
        break;
    case 1: // radio button, office 97: a ring with a dot
    case 4: // radio button, office 2000: a filled ring
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        p.setBrush(ink);
        if (set == 4 || state != 1) p.drawEllipse(QRectF(5.5, 5.5, 5, 5));
        break;
    case 2: // up
    case 3: // down
    {
        p.setBrush(ink);
        QPolygonF tri = set == 2 ? QPolygonF({QPointF(8, 3), QPointF(13, 11), QPointF(3, 11)})
                                 : QPolygonF({QPointF(3, 5), QPointF(13, 5), QPointF(8, 13)});
        p.drawPolygon(tri);
        break;
    }
    case 5: // hint: an "i" in a circle
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.drawLine(QPointF(8, 7), QPointF(8, 12));
        p.drawPoint(QPointF(8, 4.5));
        break;
    }
    return img;
}

QString TOfficeButton::Credits() {
    return QStringLiteral("TOfficeButton\n辦公室風格按鈕,Brannoc Pro 專案的元件。");
}

void TOfficeButton::LoadGlyphs() {
    int first = FirstGlyphOf(FType, FOffice2000);
    for (int i = 0; i < 4; ++i)
        FBuiltin[i] = BuiltinGlyph(first + i);
}

void TOfficeButton::SetCustom(int i, const QImage& g) {
    FCustom[i] = g.copy();
    Changed();
}

namespace {

// Pixels of the image's background colour (its bottom-left pixel) become
// transparent, as a bitmap drawn transparently shows.
QImage Masked(const QImage& img) {
    if (img.isNull() || img.hasAlphaChannel()) return img;
    QImage out = img.convertToFormat(QImage::Format_ARGB32);
    QRgb key = out.pixel(0, out.height() - 1);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if (out.pixel(x, y) == key) out.setPixel(x, y, qRgba(0, 0, 0, 0));
    return out;
}

// The embossed look of a disabled glyph: its black pixels in the highlight
// colour one pixel lower right, then in the shadow colour in place.
QImage Embossed(const QImage& img, const QPalette& pal) {
    QImage out(img.size(), QImage::Format_ARGB32);
    out.fill(pal.color(QPalette::Button));
    QRgb hi = pal.color(QPalette::Light).rgb(), sh = pal.color(QPalette::Mid).rgb();
    auto black = [&](int x, int y) {
        return (img.pixel(x, y) & 0xFFFFFF) == 0 && qAlpha(img.pixel(x, y));
    };
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (black(x, y) && x + 1 < out.width() && y + 1 < out.height())
                out.setPixel(x + 1, y + 1, hi);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (black(x, y)) out.setPixel(x, y, sh);
    return out;
}

} // namespace

QImage TOfficeButton::CurrentGlyph() const {
    auto custom = [&](int i) { return FUseCustom && !FCustom[i].isNull() ? FCustom[i] : QImage(); };
    if (!isEnabled()) {
        if (!FUseCustom) return FBuiltin[1];
        if (!FCustom[1].isNull()) return FCustom[1];
        return FCustom[3].isNull() ? FBuiltin[1] : Embossed(FCustom[3], palette());
    }
    switch (FMachine.State) {
    case TOffBtnMouse::Hot: {
        if (!FUseCustom) return FBuiltin[0];
        QImage g = custom(0);
        return g.isNull() ? FCustom[3] : g;
    }
    case TOffBtnMouse::Down: {
        if (!FUseCustom) return FBuiltin[2];
        QImage g = custom(2);
        return g.isNull() ? FCustom[3] : g;
    }
    default:
        return FUseCustom ? FCustom[3] : FBuiltin[3];
    }
}

QSize TOfficeButton::GlyphSize() const {
    QImage g = FUseCustom && !FCustom[3].isNull() ? FCustom[3] : FBuiltin[3];
    return g.size();
}

// ---- properties ------------------------------------------------------------------

void TOfficeButton::SetAbout(TOffBtnAbout about) {
    if (about == TOffBtnAbout::abAbout) QMessageBox::information(this, "TOfficeButton", Credits());
}

void TOfficeButton::SetAction(QAction* action) {
    if (FAction) disconnect(FAction, nullptr, this, nullptr);
    FAction = action;
    if (!action) return;
    auto sync = [this] {
        if (!FAction) return;
        SetCaption(FAction->text());
        setEnabled(FAction->isEnabled());
    };
    connect(action, &QAction::changed, this, sync);
    sync();
}

void TOfficeButton::SetActiveColor(TColor c) {
    FActiveColor = c;
    update();
}
void TOfficeButton::SetActiveOutlineColor(TColor c) {
    FActiveOutlineColor = c;
    update();
}
void TOfficeButton::SetActiveOutlineColor2(TColor c) {
    FActiveOutlineColor2 = c;
    update();
}
void TOfficeButton::SetAutoHeight(bool on) {
    FAutoHeight = on;
    Changed();
}
void TOfficeButton::SetCaption(const QString& caption) {
    FCaption = caption;
    // The caption's accelerator: Alt with the letter anywhere in the window.
    delete FAccelerator;
    int amp = caption.indexOf('&');
    if (amp >= 0 && amp + 1 < caption.size() && caption[amp + 1] != '&') {
        FAccelerator = new QShortcut(QKeySequence(QStringLiteral("Alt+") + caption[amp + 1]), this);
        connect(FAccelerator, &QShortcut::activated, this, [this] {
            if (isEnabled() && isVisible()) KeyboardClick();
        });
    }
    Changed();
}

QChar TOfficeButton::AcceleratorChar() const {
    int amp = FCaption.indexOf('&');
    return amp >= 0 && amp + 1 < FCaption.size() ? FCaption[amp + 1].toLower() : QChar();
}
void TOfficeButton::SetColor(TColor c) {
    FColor = c;
    update();
}
void TOfficeButton::SetInactiveColor(TColor c) {
    FInactiveColor = c;
    update();
}
void TOfficeButton::SetTransparentColor(TColor c) {
    FTransparentColor = c;
    update();
}
void TOfficeButton::SetTransparent(bool on) {
    FTransparent = on;
    update();
}
void TOfficeButton::SetUseCustomGlyphs(bool on) {
    FUseCustom = on;
    Changed();
}
void TOfficeButton::SetWordWrap(bool on) {
    FWordWrap = on;
    Changed();
}
void TOfficeButton::SetShowGlyph(bool on) {
    FShowGlyph = on;
    Changed();
}
void TOfficeButton::SetHoverFont(const QFont& font) {
    FHoverFont = font;
    update();
}
void TOfficeButton::SetTabStop(bool on) {
    setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
}

void TOfficeButton::SetControlType(TOffBtnType type) {
    FType = type;
    LoadGlyphs();
    FPosition = AllowedPosition(type, FPosition);
    FShowGlyph = !FOffice2000 || type != TOffBtnType::bsButton;
    Changed();
}

void TOfficeButton::SetPosition(TGlyphPosition position) {
    FPosition = AllowedPosition(FType, position);
    Changed();
}

void TOfficeButton::SetOffice2000Look(bool on) {
    FOffice2000 = on;
    FActiveColor = 0x808080;
    FActiveOutlineColor = 0xFFFFFF;
    FInactiveColor = 0xC0C0C0;
    if (on) {
        FActiveOutlineColor2 = 0xD6E7E7;
        FColor = 0xCCFFFF;
        if (FType == TOffBtnType::bsButton) FShowGlyph = false;
    } else {
        FMachine.Reset();
        FColor = 0xE1FFFF;
        FShowGlyph = true;
    }
    LoadGlyphs();
    Changed();
}

void TOfficeButton::SetDefault(bool on) {
    FDefault = on;
    WatchWindow();
    // Every button of the window finds out again which one is the default.
    if (QWidget* w = window())
        for (TOfficeButton* b : w->findChildren<TOfficeButton*>())
            b->update();
}

// ---- layout ----------------------------------------------------------------------

TOffBtnGeometry TOfficeButton::Geometry() const {
    TOffBtnGeometry g;
    g.Type = FType;
    g.Position = FPosition;
    g.ShowGlyph = FShowGlyph;
    g.RightToLeft = layoutDirection() == Qt::RightToLeft;
    g.Width = width();
    g.Height = height();
    QSize gs = GlyphSize();
    g.GlyphWidth = gs.width();
    g.GlyphHeight = gs.height();
    return g;
}

// Splits the caption at blanks into lines no wider than the wrap width (a
// word wider than that stands on its own line).
void TOfficeButton::WrapCaption() {
    FLines.clear();
    FWrapWidth = WrapWidth(Geometry());
    QFontMetrics fm(font());
    if (!FWordWrap || fm.horizontalAdvance(FCaption) <= FWrapWidth) return;
    QString line;
    for (const QString& word : FCaption.split(' ', Qt::SkipEmptyParts)) {
        QString next = line.isEmpty() ? word : line + ' ' + word;
        if (!line.isEmpty() && fm.horizontalAdvance(next) > FWrapWidth) {
            FLines << line;
            line = word;
        } else {
            line = next;
        }
    }
    if (!line.isEmpty()) FLines << line;
}

void TOfficeButton::Changed() {
    WrapCaption();
    if (FAutoHeight) {
        QFontMetrics fm(font());
        int textHeight = FLines.isEmpty() ? fm.height() : int(FLines.size()) * fm.height();
        int h = sitelist::AutoHeight(Geometry(), textHeight);
        if (h != height()) resize(width(), h);
    }
    update();
}

void TOfficeButton::resizeEvent(QResizeEvent*) {
    WrapCaption();
}

// ---- mouse and keyboard -------------------------------------------------------------

void TOfficeButton::React(const TOffBtnReaction& r) {
    if (r.Enter) emit MouseEnter();
    if (r.Exit) emit MouseExit();
    if (r.Repaint) update();
    if (r.Click) DoClick(false);
}

void TOfficeButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton && contextMenuPolicy() != Qt::NoContextMenu &&
        contextMenuPolicy() != Qt::DefaultContextMenu) {
        React(FMachine.Reset());
        return;
    }
    if (e->button() != Qt::LeftButton) return;
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    React(FMachine.LeftDown());
}

void TOfficeButton::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
}

void TOfficeButton::mouseMoveEvent(QMouseEvent* e) {
    React(FMachine.Move(rect().contains(e->position().toPoint())));
}

void TOfficeButton::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    React(FMachine.LeftUp(rect().contains(e->position().toPoint()), FModalResult));
}

void TOfficeButton::enterEvent(QEnterEvent*) {
    React(FMachine.Move(true));
}

void TOfficeButton::leaveEvent(QEvent*) {
    React(FMachine.Move(false));
}

void TOfficeButton::keyPressEvent(QKeyEvent* e) {
    bool letter = !AcceleratorChar().isNull() && e->text().toLower() == QString(AcceleratorChar());
    if ((e->key() == Qt::Key_Space || letter) && e->modifiers() == Qt::NoModifier) {
        KeyboardClick();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool TOfficeButton::IsActiveDefault() const {
    if (hasFocus()) return true;
    return FDefault && !qobject_cast<TOfficeButton*>(QApplication::focusWidget());
}

// Enter, Escape and the caption's accelerator reach the button through its
// window, wherever the focus is.
void TOfficeButton::WatchWindow() {
    QWidget* w = window();
    if (w == FWatched || w == this) return;
    if (FWatched) FWatched->removeEventFilter(this);
    FWatched = w;
    w->installEventFilter(this);
}

bool TOfficeButton::eventFilter(QObject*, QEvent* e) {
    if (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    if (!isEnabled() || !isVisible()) return false;
    bool plain = (k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    bool hit = false;
    if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && plain && IsActiveDefault())
        hit = true;
    if (k->key() == Qt::Key_Escape && plain && FCancel) hit = true;
    if (!hit) return false;
    if (e->type() == QEvent::KeyPress) KeyboardClick();
    e->accept();
    return true;
}

void TOfficeButton::KeyboardClick() {
    FKeyboardClick = true;
    DoClick(true);
}

void TOfficeButton::DoClick(bool keyboard) {
    TOffBtnMouse before = FMachine.State;
    if (keyboard) {
        FMachine.State = TOffBtnMouse::Down;
        repaint();
        QApplication::processEvents();
    }
    if (FModalResult != 0)
        if (auto* dlg = qobject_cast<QDialog*>(window())) dlg->done(FModalResult);
    if (keyboard || FMachine.State != before) {
        FMachine.State = before;
        if (keyboard && FModalResult != 0) FMachine.Reset();
        repaint();
        QApplication::processEvents();
    }
    FKeyboardClick = false;
    if (FAction) FAction->trigger();
    emit Click();
}

void TOfficeButton::focusInEvent(QFocusEvent*) {
    FMachine.Reset();
    WatchWindow();
    update();
}

void TOfficeButton::focusOutEvent(QFocusEvent*) {
    FMachine.Reset();
    update();
}

void TOfficeButton::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::FontChange) Changed();
    if (e->type() == QEvent::ParentChange) WatchWindow();
    QWidget::changeEvent(e);
}

// ---- painting ---------------------------------------------------------------------------

// Rounded outline with cut corners: four lines and four corner pixels.
void TOfficeButton::DrawFrame(QPainter& p) const {
    const int W = width(), H = height();
    auto outline = [&](QColor c, int inset) {
        p.setPen(c);
        int l = inset, t = inset, r = W - 1 - inset, b = H - 1 - inset;
        p.drawLine(l + 2, t, r - 2, t);
        p.drawLine(l + 2, b, r - 2, b);
        p.drawLine(l, t + 2, l, b - 2);
        p.drawLine(r, t + 2, r, b - 2);
        p.drawPoint(l + 1, t + 1);
        p.drawPoint(r - 1, t + 1);
        p.drawPoint(l + 1, b - 1);
        p.drawPoint(r - 1, b - 1);
    };
    // Inner top-left and bottom-right lines of a raised or sunken look.
    auto bevel = [&](QColor topLeft, QColor bottomRight) {
        p.setPen(topLeft);
        p.drawLine(2, 1, W - 3, 1);
        p.drawLine(1, 2, 1, H - 3);
        p.setPen(bottomRight);
        p.drawLine(2, H - 2, W - 3, H - 2);
        p.drawLine(W - 2, 2, W - 2, H - 3);
    };
    TOffBtnMouse s = FMachine.State;
    if (!isEnabled() || s == TOffBtnMouse::Normal || s == TOffBtnMouse::PressedOutside) {
        outline(ToQColor(FInactiveColor), 0);
        return;
    }
    outline(ToQColor(FActiveColor), 0);
    if (FOffice2000) {
        if (s == TOffBtnMouse::Hot)
            bevel(ToQColor(FActiveOutlineColor), ToQColor(FActiveOutlineColor2));
        else
            bevel(ToQColor(FActiveOutlineColor2), ToQColor(FActiveOutlineColor));
    } else {
        bevel(ToQColor(FActiveOutlineColor), ToQColor(FActiveOutlineColor));
    }
}

void TOfficeButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!FTransparent) p.fillRect(rect(), ToQColor(FColor));

    bool hotOrDown = FMachine.State == TOffBtnMouse::Hot || FMachine.State == TOffBtnMouse::Down;
    QFont f = isEnabled() && hotOrDown ? FHoverFont : font();
    if (FDefault) f.setBold(true);
    p.setFont(f);
    QColor text = isEnabled() ? palette().color(QPalette::ButtonText) : ToQColor(FInactiveColor);
    p.setPen(text);

    QFontMetrics fm(f);
    int cw, ch;
    if (!FLines.isEmpty()) {
        cw = FWrapWidth;
        ch = int(FLines.size()) * fm.height();
    } else {
        cw = fm.horizontalAdvance(QString(FCaption).remove('&'));
        ch = fm.height();
    }
    bool pressed = FType == TOffBtnType::bsButton && FMachine.State == TOffBtnMouse::Down;
    TOffBtnPlaces at = PlaceContent(Geometry(), cw, ch, pressed);

    bool button = FType == TOffBtnType::bsButton;
    QRect box(at.Caption.X, at.Caption.Y, cw, ch);
    int align = (button ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop | Qt::TextShowMnemonic;
    if (!FLines.isEmpty()) {
        for (int i = 0; i < FLines.size(); ++i)
            p.drawText(QRect(box.x(), box.y() + i * fm.height(), cw, fm.height()), align,
                       FLines[i]);
    } else {
        p.drawText(box, align | (button ? 0 : Qt::TextWordWrap), FCaption);
    }
    if (FShowGlyph) p.drawImage(at.Glyph.X, at.Glyph.Y, Masked(CurrentGlyph()));
    if (button && hasFocus() && IsActiveDefault() && !FCaption.isEmpty()) {
        QPen dotted(text, 1, Qt::DotLine);
        p.setPen(dotted);
        p.drawRect(box.adjusted(-2, -1, 1, 0));
    }
    if (button) DrawFrame(p);
}
