// TToolbarButton: Qt events into the button machine, the machine's state
// into pixels, the dropdown menu, the action link and the keyboard.
#include "controls/DockCtls.h"

#include "controls/ControlPaint.h"
#include "controls/DockCmn.h"
#include "platform/QtMessageLoop.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

using namespace controls;

namespace {

// Every live button, to find the widget of the tracked machine.
std::vector<TToolbarButton*>& Buttons() {
    static std::vector<TToolbarButton*> list;
    return list;
}

TMouseButton ToButton(Qt::MouseButton b) {
    return b == Qt::RightButton    ? TMouseButton::Right
           : b == Qt::MiddleButton ? TMouseButton::Middle
                                   : TMouseButton::Left;
}

Qt::MouseButton FromButton(TMouseButton b) {
    return b == TMouseButton::Right    ? Qt::RightButton
           : b == TMouseButton::Middle ? Qt::MiddleButton
                                       : Qt::LeftButton;
}

} // namespace

TImage ToControlImage(const QImage& image) {
    const QImage src = image.convertToFormat(QImage::Format_ARGB32);
    TImage out(src.width(), src.height());
    for (int y = 0; y < src.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < src.width(); ++x)
            out.SetPixel(x, y, line[x]);
    }
    return out;
}

QImage ToQImage(const TImage& image) {
    QImage out(image.Width(), image.Height(), QImage::Format_ARGB32);
    for (int y = 0; y < image.Height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < image.Width(); ++x)
            line[x] = image.Pixel(x, y);
    }
    return out;
}

TButtonColors ButtonColorsOf(const QPalette& palette) {
    return TButtonColors{palette.color(QPalette::Active, QPalette::Button).rgb() & 0xFFFFFFu,
                         palette.color(QPalette::Active, QPalette::Light).rgb() & 0xFFFFFFu,
                         palette.color(QPalette::Active, QPalette::Dark).rgb() & 0xFFFFFFu};
}

TToolbarButton::TToolbarButton(QWidget* parent) : QWidget(parent) {
    win::InstallQtMessageLoop();
    resize(23, 22);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FColor = palette().color(QPalette::Button);
    FMachine.SetSize(23, 22);
    Buttons().push_back(this);
    InstallHookProc(&TToolbarButton::HookProc, HookKinds(hkActivateApp, hkMouseMove));
    UpdateColors();
}

TToolbarButton::~TToolbarButton() {
    if (FDropdownMenu) FDropdownMenu->removeEventFilter(this);
    auto& list = Buttons();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    UninstallHookProc(&TToolbarButton::HookProc);
}

void TToolbarButton::HookProc(THookKind kind, void* wnd, win::WPARAM wParam, win::LPARAM) {
    if (kind == hkActivateApp) {
        TButtonMachine::ApplicationActivated(wParam != 0);
        return;
    }
    if (kind != hkMouseMove) return;
    TButtonMachine* tracked = TButtonMachine::Tracked();
    if (!tracked) return;
    for (TToolbarButton* b : Buttons())
        if (&b->FMachine == tracked) {
            if (wnd != static_cast<QWidget*>(b)) TButtonMachine::MouseMovedElsewhere();
            return;
        }
}

// ---- Properties ---------------------------------------------------------------------

void TToolbarButton::SetAction(QAction* action) {
    if (FAction == action) return;
    if (FAction) disconnect(FAction, nullptr, this, nullptr);
    FAction = action;
    if (!action) return;
    auto sync = [this] {
        if (!FAction) return;
        FSyncingAction = true;
        SetCaption(FAction->text());
        setEnabled(FAction->isEnabled());
        setVisible(FAction->isVisible());
        if (FAction->isCheckable()) SetDown(FAction->isChecked());
        FSyncingAction = false;
    };
    connect(action, &QAction::changed, this, sync);
    connect(action, &QObject::destroyed, this, [this] { FAction = nullptr; });
    sync();
}

void TToolbarButton::SetAlignment(TAlignment value) {
    if (value == FAlignment) return;
    FAlignment = value;
    update();
}

void TToolbarButton::SetCancel(bool value) {
    FCancel = value;
    UpdateShortcuts();
}

void TToolbarButton::SetDefault(bool value) {
    FDefault = value;
    UpdateShortcuts();
}

void TToolbarButton::SetColor(const QColor& value) {
    if (value == FColor) return;
    FColor = value;
    update();
}

void TToolbarButton::SetDisplayMode(TButtonDisplayMode value) {
    if (value == FDisplayMode) return;
    FDisplayMode = value;
    update();
}

void TToolbarButton::SetDown(bool value) {
    FMachine.SetDown(value);
    if (FAction && FAction->isCheckable() && !FSyncingAction) FAction->setChecked(FMachine.Down());
}

void TToolbarButton::UsesDropdownChanged() {
    FMachine.SetUsesDropdown(FDropdownMenu != nullptr || FDropdownAlways);
    update();
}

void TToolbarButton::SetDropdownAlways(bool value) {
    if (value == FDropdownAlways) return;
    FDropdownAlways = value;
    UsesDropdownChanged();
}

void TToolbarButton::SetDropdownMenu(QMenu* menu) {
    if (menu == FDropdownMenu) return;
    if (FDropdownMenu) FDropdownMenu->removeEventFilter(this);
    FDropdownMenu = menu;
    if (menu) menu->installEventFilter(this);
    UsesDropdownChanged();
}

void TToolbarButton::SetDropdownArrow(bool value) {
    if (value == FDropdownArrow) return;
    FDropdownArrow = value;
    update();
}

void TToolbarButton::SetDropdownArrowWidth(int value) {
    value = ClampArrowWidth(value);
    const int old = FMachine.DropdownArrowWidth();
    if (value == old) return;
    FMachine.SetDropdownArrowWidth(value);
    if (FMachine.DropdownCombo()) resize(std::max(1, width() + value - old), height());
    update();
}

void TToolbarButton::SetDropdownCombo(bool value) {
    if (value == FMachine.DropdownCombo()) return;
    FMachine.SetDropdownCombo(value);
    const int part = FMachine.DropdownArrowWidth() + 2;
    resize(std::max(1, width() + (value ? part : -part)), height());
    update();
}

void TToolbarButton::SetCaption(const QString& value) {
    if (value == FCaption) return;
    FCaption = value;
    UpdateShortcuts();
    update();
}

void TToolbarButton::SetFlat(bool value) {
    FMachine.SetFlat(value);
    setAttribute(Qt::WA_OpaquePaintEvent, !(value && !FOpaque));
}

void TToolbarButton::SetOpaque(bool value) {
    if (value == FOpaque) return;
    FOpaque = value;
    setAttribute(Qt::WA_OpaquePaintEvent, !(FMachine.Flat() && !FOpaque));
    update();
}

void TToolbarButton::GlyphChanged() {
    TImage strip;
    if (!FImages.isEmpty()) {
        if (FImageIndex >= 0 && FImageIndex < FImages.size())
            strip = ToControlImage(FImages[FImageIndex]);
        FGlyph.SetGlyph(std::move(strip));
        FGlyph.SetNumGlyphs(1);
    } else {
        strip = ToControlImage(FGlyphImage);
        const int n = NumGlyphsOfStrip(strip.Width(), strip.Height());
        FGlyph.SetGlyph(std::move(strip));
        FGlyph.SetNumGlyphs(n);
    }
    FGlyph.SetMask(FImages.isEmpty() ? ToControlImage(FGlyphMask) : TImage());
    FMachine.SetNumGlyphs(FGlyph.NumGlyphs());
    update();
}

void TToolbarButton::SetGlyph(const QImage& strip) {
    FGlyphImage = strip;
    GlyphChanged();
}

void TToolbarButton::SetGlyphMask(const QImage& mask) {
    FGlyphMask = mask;
    GlyphChanged();
}

void TToolbarButton::SetImages(const QList<QImage>& images) {
    FImages = images;
    GlyphChanged();
}

void TToolbarButton::SetImageIndex(int value) {
    if (value == FImageIndex) return;
    FImageIndex = value;
    GlyphChanged();
}

void TToolbarButton::SetHighlightWhenDown(bool value) {
    if (value == FHighlightWhenDown) return;
    FHighlightWhenDown = value;
    update();
}

void TToolbarButton::SetLayout(TButtonLayout value) {
    if (value == FLayout) return;
    FLayout = value;
    update();
}

void TToolbarButton::SetMargin(int value) {
    if (value == FMargin || !MarginAccepted(value)) return;
    FMargin = value;
    update();
}

void TToolbarButton::SetSpacing(int value) {
    if (value == FSpacing || !MarginAccepted(value)) return;
    FSpacing = value;
    update();
}

void TToolbarButton::SetNoBorder(bool value) {
    if (value == FNoBorder) return;
    FNoBorder = value;
    update();
}

void TToolbarButton::SetNumGlyphs(int value) {
    value = ClampNumGlyphs(value);
    if (value == FGlyph.NumGlyphs()) return;
    FGlyph.SetNumGlyphs(value);
    FMachine.SetNumGlyphs(value);
    update();
}

void TToolbarButton::SetOldDisabledStyle(bool value) {
    if (value == FOldDisabledStyle) return;
    FOldDisabledStyle = value;
    FGlyph.SetOldDisabledStyle(value);
    update();
}

void TToolbarButton::SetWordWrap(bool value) {
    if (value == FWordWrap) return;
    FWordWrap = value;
    update();
}

void TToolbarButton::UpdateColors() {
    FGlyph.SetColors(ButtonColorsOf(palette()));
    const TButtonColors c = ButtonColorsOf(palette());
    FPattern = ToQImage(DitherPattern(c.Face, c.Highlight));
}

void TToolbarButton::UpdateShortcuts() {
    // The caption's accelerator is a mnemonic of the window.
    delete FMnemonic;
    FMnemonic = nullptr;
    const QKeySequence mnemonic = QKeySequence::mnemonic(FCaption);
    if (!mnemonic.isEmpty()) {
        FMnemonic = new QShortcut(mnemonic, this);
        FMnemonic->setContext(Qt::WindowShortcut);
        connect(FMnemonic, &QShortcut::activated, this, [this] {
            if (isEnabled() && isVisible() && FDisplayMode != dmGlyphOnly) FMachine.Click();
        });
    }
    auto keyShortcut = [this](QShortcut*& sc, bool wanted, Qt::Key key) {
        if (wanted && !sc) {
            sc = new QShortcut(QKeySequence(key), this);
            sc->setContext(Qt::WindowShortcut);
            connect(sc, &QShortcut::activated, this, [this] {
                if (isEnabled() && isVisible()) FMachine.Click();
            });
        } else if (!wanted && sc) {
            delete sc;
            sc = nullptr;
        }
    };
    keyShortcut(FEnterKey[0], FDefault, Qt::Key_Return);
    keyShortcut(FEnterKey[1], FDefault, Qt::Key_Enter);
    keyShortcut(FEscapeKey, FCancel, Qt::Key_Escape);
}

// ---- Host -------------------------------------------------------------------------

void TToolbarButton::Redraw(bool) {
    update();
}

void TToolbarButton::UpdateNow() {
    repaint();
}

void TToolbarButton::InheritedClick() {
    QPointer<TToolbarButton> self(this);
    if (OnClick) OnClick(this);
    if (self && FAction) FAction->trigger();
}

void TToolbarButton::SetModalResult() {
    if (FModalResult == 0) return;
    if (auto* dlg = qobject_cast<QDialog*>(window())) dlg->done(FModalResult);
}

void TToolbarButton::MouseEntered() {
    if (OnMouseEnter) OnMouseEnter(this);
}

void TToolbarButton::MouseExited() {
    if (OnMouseExit) OnMouseExit(this);
}

void TToolbarButton::FireMouseDown(TMouseButton b, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, FromButton(b), x, y);
}

void TToolbarButton::FireMouseUp(TMouseButton b, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, FromButton(b), x, y);
}

void TToolbarButton::FireMouseMove(int x, int y) {
    if (OnMouseMove) OnMouseMove(this, x, y);
}

bool TToolbarButton::ApplicationActive() {
    return ApplicationIsActive() || QApplication::applicationState() == Qt::ApplicationActive;
}

std::vector<TButtonMachine*> TToolbarButton::Siblings() {
    std::vector<TButtonMachine*> out;
    if (!parentWidget()) return out;
    for (auto* b : parentWidget()->findChildren<TToolbarButton*>(Qt::FindDirectChildrenOnly))
        if (b != this) out.push_back(&b->FMachine);
    return out;
}

void TToolbarButton::Dropdown(bool& showMenu, bool& removeClicks) {
    if (OnDropdown) OnDropdown(this, showMenu, removeClicks);
}

void TToolbarButton::PopupMenu(bool removeClicks) {
    QPointer<QMenu> menu = FDropdownMenu;
    if (!menu) return;
    QPointer<TToolbarButton> self(this);
    FMenuOpen = true;
    FRemoveClicks = removeClicks;
    menu->exec(mapToGlobal(rect().bottomLeft() + QPoint(0, 1)));
    if (!self) return;
    FMenuOpen = false;
    FRemoveClicks = false;
}

// ---- Events -----------------------------------------------------------------------

bool TToolbarButton::eventFilter(QObject* watched, QEvent* event) {
    // A press on this button that closes its menu is not replayed to it, so
    // it cannot open the menu again at once.
    // The type first: the guarded menu is read only for a press, never for
    // the events a menu gets while it is being destroyed.
    if (event->type() == QEvent::MouseButtonPress && watched == FDropdownMenu) {
        const auto* me = static_cast<QMouseEvent*>(event);
        const bool onMe = rect().contains(mapFromGlobal(me->globalPosition().toPoint()));
        FDropdownMenu->setAttribute(Qt::WA_NoMouseReplay, FRemoveClicks && onMe);
    }
    return false;
}

void TToolbarButton::mousePressEvent(QMouseEvent* e) {
    // While the menu is open, presses here were meant to close it.
    if (FMenuOpen && FRemoveClicks) return;
    FMachine.MouseDown(ToButton(e->button()), e->position().toPoint().x(),
                       e->position().toPoint().y());
}

void TToolbarButton::mouseDoubleClickEvent(QMouseEvent* e) {
    QPointer<TToolbarButton> self(this);
    mousePressEvent(e);
    if (self && e->button() == Qt::LeftButton && FMachine.Down() && OnDblClick) OnDblClick(this);
}

void TToolbarButton::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    FMachine.MouseMove(p.x(), p.y(), rect().contains(p));
}

void TToolbarButton::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    FMachine.MouseUp(ToButton(e->button()), p.x(), p.y());
}

void TToolbarButton::enterEvent(QEnterEvent*) {
    FMachine.HotTrack();
}

void TToolbarButton::leaveEvent(QEvent*) {
    FMachine.MouseLeft();
}

void TToolbarButton::resizeEvent(QResizeEvent*) {
    FMachine.SetSize(width(), height());
}

void TToolbarButton::hideEvent(QHideEvent*) {
    FMachine.CancelMode();
}

void TToolbarButton::changeEvent(QEvent* e) {
    switch (e->type()) {
    case QEvent::EnabledChange:
        FMachine.SetEnabled(isEnabled());
        break;
    case QEvent::PaletteChange:
        UpdateColors();
        update();
        break;
    case QEvent::FontChange:
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(e);
}

// ---- Painting ---------------------------------------------------------------------

void TToolbarButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    TButtonLook look;
    look.Width = width();
    look.Height = height();
    look.State = FMachine.State();
    look.MenuIsDown = FMachine.MenuIsDown();
    look.MouseInControl = FMachine.MouseInControl();
    look.Flat = FMachine.Flat();
    look.NoBorder = FNoBorder;
    look.Enabled = isEnabled();
    look.Combo = FMachine.DropdownCombo();
    look.UsesDropdown = FMachine.UsesDropdown();
    look.HighlightWhenDown = FHighlightWhenDown;
    look.ArrowWidth = FMachine.DropdownArrowWidth();
    const TButtonPaintPlan plan = PlanButtonPaint(look);
    if (FOpaque || !look.Flat) p.fillRect(rect(), FColor);
    QRect faceRect(0, 0, width() - (plan.HasArrowPart ? plan.ArrowPart.Width() : 0), height());
    DrawControlEdge(p, faceRect, plan.FaceEdge, palette());
    if (plan.HasArrowPart) {
        DrawControlEdge(p, ToQRect(plan.ArrowPart), plan.ArrowEdge, palette());
        const QColor c =
            isEnabled() ? palette().color(QPalette::ButtonText) : palette().color(QPalette::Dark);
        if (!isEnabled())
            DrawDropArrow(p, plan.ArrowPartCentre.X + 1, plan.ArrowPartCentre.Y + 1,
                          palette().color(QPalette::Light));
        DrawDropArrow(p, plan.ArrowPartCentre.X, plan.ArrowPartCentre.Y, c);
    }
    if (plan.Dither) p.fillRect(ToQRect(plan.Face), QBrush(FPattern));
    DrawContent(p, plan);
}

void TToolbarButton::DrawContent(QPainter& p, const TButtonPaintPlan& plan) {
    const TRect face = plan.Face.Offset(plan.ContentOffset.X, plan.ContentOffset.Y);
    p.save();
    p.setClipRect(ToQRect(plan.Face));
    const bool showGlyph = FDisplayMode != dmTextOnly;
    const bool showCaption = FDisplayMode != dmGlyphOnly && !FCaption.isEmpty();
    const bool arrow = !FMachine.DropdownCombo() && FMachine.UsesDropdown() && FDropdownArrow;
    const TSize glyphSize = showGlyph ? FGlyph.ImageSize() : TSize{};
    const int arrowW = FMachine.DropdownArrowWidth();
    int flags = (FAlignment == taLeftJustify    ? Qt::AlignLeft
                 : FAlignment == taRightJustify ? Qt::AlignRight
                                                : Qt::AlignHCenter) |
                Qt::AlignVCenter | Qt::TextShowMnemonic;
    if (FWordWrap) flags |= Qt::TextWordWrap;
    TSize captionSize;
    if (showCaption) {
        const int room = std::max(1, face.Width() - glyphSize.Width - (arrow ? arrowW + 3 : 0) - 4);
        const QRect r = fontMetrics().boundingRect(QRect(0, 0, FWordWrap ? room : 100000, 1000),
                                                   flags, FCaption);
        captionSize = {std::min(r.width(), room), r.height()};
    }
    const TContentLayout lay = LayoutButtonContent(face, glyphSize, captionSize, arrow, arrowW,
                                                   FLayout, FMargin, FSpacing);
    if (!lay.Glyph.Empty()) {
        const TImage* img = FGlyph.Image(isEnabled() ? FMachine.State() : bsDisabled);
        if (img) p.drawImage(QPoint(lay.Glyph.Left, lay.Glyph.Top), ToQImage(*img));
    }
    if (!lay.Caption.Empty()) {
        p.setFont(font());
        if (!isEnabled()) {
            p.setPen(palette().color(QPalette::Light));
            p.drawText(ToQRect(lay.Caption).translated(1, 1), flags, FCaption);
            p.setPen(palette().color(QPalette::Dark));
        } else {
            p.setPen(palette().color(QPalette::ButtonText));
        }
        p.drawText(ToQRect(lay.Caption), flags, FCaption);
    }
    if (lay.HasArrow) {
        if (!isEnabled()) {
            DrawDropArrow(p, lay.Arrow.X + 1, lay.Arrow.Y + 1, palette().color(QPalette::Light));
            DrawDropArrow(p, lay.Arrow.X, lay.Arrow.Y, palette().color(QPalette::Dark));
        } else {
            DrawDropArrow(p, lay.Arrow.X, lay.Arrow.Y, palette().color(QPalette::ButtonText));
        }
    }
    p.restore();
}
