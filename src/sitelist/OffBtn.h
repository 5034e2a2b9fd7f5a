// TOfficeButton: a custom-drawn push button in two office looks, with a hot
// state while the mouse is over it, its own hover font, a built-in or
// custom glyph per state, word-wrapped captions and five control types.
// The mouse states, glyph sets and layout arithmetic live in
// sitelist/core/OffBtnCore; this class turns events into calls on them and
// paints the result.
#pragma once
#include "sitelist/core/OffBtnCore.h"

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QAction;
class QShortcut;

using sitelist::TGlyphPosition;
using sitelist::TOffBtnType;

enum class TOffBtnAbout { abNone, abAbout };

// Colours as stored: $BBGGRR.
using TColor = unsigned int;
QColor ToQColor(TColor c);

class TOfficeButton : public QWidget {
    Q_OBJECT
public:
    explicit TOfficeButton(QWidget* parent = nullptr);

    TOffBtnAbout About() const { return TOffBtnAbout::abNone; }
    void SetAbout(TOffBtnAbout about);
    QAction* Action() const { return FAction; }
    void SetAction(QAction* action);
    TColor ActiveColor() const { return FActiveColor; }
    void SetActiveColor(TColor c);
    TColor ActiveOutlineColor() const { return FActiveOutlineColor; }
    void SetActiveOutlineColor(TColor c);
    TColor ActiveOutlineColor2() const { return FActiveOutlineColor2; }
    void SetActiveOutlineColor2(TColor c);
    bool AutoHeight() const { return FAutoHeight; }
    void SetAutoHeight(bool on);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool on) {
        FCancel = on;
        WatchWindow();
    }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);
    TColor Color() const { return FColor; }
    void SetColor(TColor c);
    TOffBtnType ControlType() const { return FType; }
    void SetControlType(TOffBtnType type);
    bool Default() const { return FDefault; }
    void SetDefault(bool on);
    TColor InactiveColor() const { return FInactiveColor; }
    void SetInactiveColor(TColor c);
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int r) { FModalResult = r; }
    bool Office2000Look() const { return FOffice2000; }
    void SetOffice2000Look(bool on);
    TGlyphPosition Position() const { return FPosition; }
    void SetPosition(TGlyphPosition position);
    bool ShowGlyph() const { return FShowGlyph; }
    void SetShowGlyph(bool on);
    bool TabStop() const { return focusPolicy() == Qt::StrongFocus; }
    void SetTabStop(bool on);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool on);
    TColor TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(TColor c);
    bool UseCustomGlyphs() const { return FUseCustom; }
    void SetUseCustomGlyphs(bool on);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool on);
    QFont HoverFont() const { return FHoverFont; }
    void SetHoverFont(const QFont& font);

    // Custom glyphs; the setters copy the image.
    QImage ActiveGlyph() const { return FCustom[0]; }
    void SetActiveGlyph(const QImage& g) { SetCustom(0, g); }
    QImage DisabledGlyph() const { return FCustom[1]; }
    void SetDisabledGlyph(const QImage& g) { SetCustom(1, g); }
    QImage DownActiveGlyph() const { return FCustom[2]; }
    void SetDownActiveGlyph(const QImage& g) { SetCustom(2, g); }
    QImage InactiveGlyph() const { return FCustom[3]; }
    void SetInactiveGlyph(const QImage& g) { SetCustom(3, g); }

    // State for tests and the owner.
    sitelist::TOffBtnMouse MouseState() const { return FMachine.State; }
    QStringList WrappedLines() const { return FLines; }
    // The image drawn for the current state.
    QImage CurrentGlyph() const;
    // Whether this button answers Enter: focused, or the default one while
    // no other office button has the focus.
    bool IsActiveDefault() const;
    // A click from the keyboard (Space, Enter on the default, Escape on
    // Cancel, the caption's accelerator).
    void KeyboardClick();

    // The built-in glyph 1..24 (our own artwork).
    static QImage BuiltinGlyph(int index);
    // The credits the About property shows.
    static QString Credits();

signals:
    void Click();
    void MouseEnter();
    void MouseExit();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void React(const sitelist::TOffBtnReaction& r);
    void DoClick(bool keyboard);
    void LoadGlyphs();
    void SetCustom(int i, const QImage& g);
    void Changed(); // wrap, auto height, repaint
    void WrapCaption();
    sitelist::TOffBtnGeometry Geometry() const;
    QSize GlyphSize() const;
    void DrawFrame(class QPainter& p) const;
    void WatchWindow();
    QChar AcceleratorChar() const;

    sitelist::TOffBtnMachine FMachine;
    QPointer<QAction> FAction;
    QPointer<QWidget> FWatched;
    QPointer<QShortcut> FAccelerator;
    TColor FActiveColor = 0x808080, FActiveOutlineColor = 0xFFFFFF, FActiveOutlineColor2 = 0xD6E7E7;
    TColor FColor = 0xCCFFFF, FInactiveColor = 0xC0C0C0, FTransparentColor = 0x000000;
    bool FAutoHeight = false, FCancel = false, FDefault = false, FOffice2000 = true;
    bool FShowGlyph = false, FTransparent = false, FUseCustom = false, FWordWrap = true;
    bool FKeyboardClick = false;
    int FModalResult = 0;
    TOffBtnType FType = TOffBtnType::bsButton;
    TGlyphPosition FPosition = TGlyphPosition::bsLeft;
    QString FCaption;
    QFont FHoverFont;
    QImage FBuiltin[4]; // hot, disabled, down, normal
    QImage FCustom[4];  // active, disabled, down active, inactive
    QStringList FLines; // wrapped caption lines; empty: one line
    int FWrapWidth = 0;
};
