// TToolbarButton: the toolbar family's flat button, with glyph images per
// state, a hot look, radio groups, a dropdown menu with an optional arrow
// or split arrow part, auto-repeat and an action link.
//
// Behaviour lives in controls/core (ButtonMachine: states, groups, hot
// tracking, repeat and clicks; ButtonLayout: frame and content geometry;
// GlyphImages: state and disabled images). The widget translates Qt events
// into the machine and paints what the plan says in palette colours
// (Button, Light, Dark), since desktop styles ignore button colours.
#pragma once
#include "controls/DockVers.h"
#include "controls/core/ButtonLayout.h"
#include "controls/core/GlyphImages.h"
#include "controls/core/HookRegistry.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QShortcut;

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TButtonDisplayMode : std::uint8_t { dmBoth, dmGlyphOnly, dmTextOnly };
using controls::TButtonLayout;

class TToolbarButton : public QWidget, private controls::TButtonHost {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TToolbarButton* sender)>;
    using TButtonDropdownEvent =
        std::function<void(TToolbarButton* sender, bool& showMenu, bool& removeClicks)>;
    using TMouseEvent =
        std::function<void(TToolbarButton* sender, Qt::MouseButton button, int x, int y)>;
    using TMouseMoveEvent = std::function<void(TToolbarButton* sender, int x, int y)>;

    explicit TToolbarButton(QWidget* parent = nullptr);
    ~TToolbarButton() override;

    // ---- Published properties ----
    QAction* Action() const { return FAction; }
    void SetAction(QAction* action);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    bool AllowAllUp() const { return FMachine.AllowAllUp(); }
    void SetAllowAllUp(bool value) { FMachine.SetAllowAllUp(value); }
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value);
    QColor Color() const { return FColor; }
    void SetColor(const QColor& value);
    int GroupIndex() const { return FMachine.GroupIndex(); }
    void SetGroupIndex(int value) { FMachine.SetGroupIndex(value); }
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    TButtonDisplayMode DisplayMode() const { return FDisplayMode; }
    void SetDisplayMode(TButtonDisplayMode value);
    bool Down() const { return FMachine.Down(); }
    void SetDown(bool value);
    bool DropdownAlways() const { return FDropdownAlways; }
    void SetDropdownAlways(bool value);
    bool DropdownArrow() const { return FDropdownArrow; }
    void SetDropdownArrow(bool value);
    int DropdownArrowWidth() const { return FMachine.DropdownArrowWidth(); }
    void SetDropdownArrowWidth(int value);
    bool DropdownCombo() const { return FMachine.DropdownCombo(); }
    void SetDropdownCombo(bool value);
    QMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(QMenu* menu);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool value) { setEnabled(value); }
    bool Flat() const { return FMachine.Flat(); }
    void SetFlat(bool value);
    QImage Glyph() const { return FGlyphImage; }
    void SetGlyph(const QImage& strip);
    QImage GlyphMask() const { return FGlyphMask; }
    void SetGlyphMask(const QImage& mask);
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int value) { FHelpContext = value; }
    bool HighlightWhenDown() const { return FHighlightWhenDown; }
    void SetHighlightWhenDown(bool value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    // An image list: when not empty it is used instead of Glyph.
    QList<QImage> Images() const { return FImages; }
    void SetImages(const QList<QImage>& images);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout value);
    int Margin() const { return FMargin; }
    void SetMargin(int value);
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int value) { FModalResult = value; }
    bool NoBorder() const { return FNoBorder; }
    void SetNoBorder(bool value);
    int NumGlyphs() const { return FGlyph.NumGlyphs(); }
    void SetNumGlyphs(int value);
    bool OldDisabledStyle() const { return FOldDisabledStyle; }
    void SetOldDisabledStyle(bool value);
    bool Opaque() const { return FOpaque; }
    void SetOpaque(bool value);
    bool Repeating() const { return FMachine.Repeating(); }
    void SetRepeating(bool value) { FMachine.SetRepeating(value); }
    int RepeatDelay() const { return FMachine.RepeatDelay(); }
    void SetRepeatDelay(int ms) { FMachine.SetRepeatDelay(ms); }
    int RepeatInterval() const { return FMachine.RepeatInterval(); }
    void SetRepeatInterval(int ms) { FMachine.SetRepeatInterval(ms); }
    bool ShowBorderWhenInactive() const { return FMachine.ShowBorderWhenInactive(); }
    void SetShowBorderWhenInactive(bool value) { FMachine.SetShowBorderWhenInactive(value); }
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);
    TToolbarVersion Version;
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);

    TNotifyEvent OnClick, OnDblClick, OnMouseEnter, OnMouseExit;
    TButtonDropdownEvent OnDropdown;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // Clicks as a mouse press and release would.
    void Click() { FMachine.Click(); }
    // The machine and the images (tests and painting read them).
    const controls::TButtonMachine& Machine() const { return FMachine; }
    controls::TButtonState State() const { return FMachine.State(); }
    // True while the dropdown menu is open.
    bool MenuOpen() const { return FMenuOpen; }

    // Called by the hook registry's callback.
    static void HookProc(controls::THookKind kind, void* wnd, win::WPARAM wParam,
                         win::LPARAM lParam);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // TButtonHost
    void Redraw(bool erase) override;
    void UpdateNow() override;
    void InheritedClick() override;
    void SetModalResult() override;
    void MouseEntered() override;
    void MouseExited() override;
    void FireMouseDown(controls::TMouseButton b, int x, int y) override;
    void FireMouseUp(controls::TMouseButton b, int x, int y) override;
    void FireMouseMove(int x, int y) override;
    bool ApplicationActive() override;
    std::vector<controls::TButtonMachine*> Siblings() override;
    bool HasMenu() override { return FDropdownMenu != nullptr; }
    void Dropdown(bool& showMenu, bool& removeClicks) override;
    void PopupMenu(bool removeClicks) override;

    void GlyphChanged();
    void UpdateColors();
    void UpdateShortcuts();
    void UsesDropdownChanged();
    void DrawContent(QPainter& p, const controls::TButtonPaintPlan& plan);

    controls::TButtonMachine FMachine{*this};
    controls::TButtonGlyph FGlyph;
    QImage FGlyphImage, FGlyphMask;
    QList<QImage> FImages;
    QPointer<QAction> FAction;
    QPointer<QMenu> FDropdownMenu;
    QString FCaption;
    QColor FColor;
    TAlignment FAlignment = taCenter;
    TButtonDisplayMode FDisplayMode = dmBoth;
    TButtonLayout FLayout = controls::blGlyphLeft;
    bool FCancel = false, FDefault = false, FDropdownAlways = false, FDropdownArrow = true;
    bool FHighlightWhenDown = true, FNoBorder = false, FOldDisabledStyle = false;
    bool FOpaque = true, FWordWrap = false, FMenuOpen = false, FRemoveClicks = false;
    bool FSyncingAction = false;
    int FHelpContext = 0, FImageIndex = -1, FMargin = -1, FSpacing = 4, FModalResult = 0;
    QShortcut* FMnemonic = nullptr;
    QShortcut* FEnterKey[2] = {nullptr, nullptr};
    QShortcut* FEscapeKey = nullptr;
    QImage FPattern;
};

// A Qt image as a control-layer image (32-bit, see-through kept) and back.
controls::TImage ToControlImage(const QImage& image);
QImage ToQImage(const controls::TImage& image);
// Colours of the control pictures from a palette (Button, Light, Dark).
controls::TButtonColors ButtonColorsOf(const QPalette& palette);
