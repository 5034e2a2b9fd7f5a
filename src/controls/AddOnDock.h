// TSpin: a pair of flat toolbar buttons, up and down, stacked or side by
// side, that fire OnUpClick and OnDownClick; with Repeating, holding a half
// repeats its event.
#pragma once
#include "controls/DockCtls.h"

#include <QPointer>
#include <QWidget>

enum TSpinKind : std::uint8_t { skVertical, skHorizontal };

class TSpin : public QWidget {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TSpin* sender)>;
    using TMouseEvent = std::function<void(TSpin* sender, Qt::MouseButton button, int x, int y)>;
    using TMouseMoveEvent = std::function<void(TSpin* sender, int x, int y)>;

    explicit TSpin(QWidget* parent = nullptr);
    ~TSpin() override;

    TToolbarButton* UpButton() const { return FUp; }
    TToolbarButton* DownButton() const { return FDown; }

    // Passed straight to the halves.
    QString UpCaption() const { return FUp->Caption(); }
    void SetUpCaption(const QString& v) { FUp->SetCaption(v); }
    QString DownCaption() const { return FDown->Caption(); }
    void SetDownCaption(const QString& v) { FDown->SetCaption(v); }
    QImage UpGlyph() const { return FUp->Glyph(); }
    void SetUpGlyph(const QImage& v) { FUp->SetGlyph(v); }
    QImage DownGlyph() const { return FDown->Glyph(); }
    void SetDownGlyph(const QImage& v) { FDown->SetGlyph(v); }
    QImage UpMask() const { return FUp->GlyphMask(); }
    void SetUpMask(const QImage& v) { FUp->SetGlyphMask(v); }
    QImage DownMask() const { return FDown->GlyphMask(); }
    void SetDownMask(const QImage& v) { FDown->SetGlyphMask(v); }
    TButtonLayout UpLayout() const { return FUp->Layout(); }
    void SetUpLayout(TButtonLayout v) { FUp->SetLayout(v); }
    TButtonLayout DownLayout() const { return FDown->Layout(); }
    void SetDownLayout(TButtonLayout v) { FDown->SetLayout(v); }
    int UpMargin() const { return FUp->Margin(); }
    void SetUpMargin(int v) { FUp->SetMargin(v); }
    int DownMargin() const { return FDown->Margin(); }
    void SetDownMargin(int v) { FDown->SetMargin(v); }
    int UpNumGlyphs() const { return FUp->NumGlyphs(); }
    void SetUpNumGlyphs(int v) { FUp->SetNumGlyphs(v); }
    int DownNumGlyphs() const { return FDown->NumGlyphs(); }
    void SetDownNumGlyphs(int v) { FDown->SetNumGlyphs(v); }
    int UpSpacing() const { return FUp->Spacing(); }
    void SetUpSpacing(int v) { FUp->SetSpacing(v); }
    int DownSpacing() const { return FDown->Spacing(); }
    void SetDownSpacing(int v) { FDown->SetSpacing(v); }

    bool Flat() const { return FUp->Flat(); }
    void SetFlat(bool v);
    bool NoBorder() const { return FUp->NoBorder(); }
    void SetNoBorder(bool v);
    QWidget* FocusControl() const { return FFocusControl; }
    void SetFocusControl(QWidget* w) { FFocusControl = w; }
    // Kept for the owner; the spin itself does not use it.
    double Increment = 1.0;
    TSpinKind Kind() const { return FKind; }
    void SetKind(TSpinKind kind);
    bool Repeating() const { return FRepeating; }
    void SetRepeating(bool v) { FRepeating = v; }
    int RepeatDelay() const { return FRepeatDelay; }
    void SetRepeatDelay(int ms) {
        if (ms >= 0) FRepeatDelay = ms;
    }
    int RepeatInterval() const { return FRepeatInterval; }
    void SetRepeatInterval(int ms) {
        if (ms >= 0) FRepeatInterval = ms;
    }
    TToolbarVersion Version;

    TNotifyEvent OnUpClick, OnDownClick;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void LayoutButtons();
    void ButtonDown(TToolbarButton* b, Qt::MouseButton button, int x, int y);
    void ButtonUp(TToolbarButton* b, Qt::MouseButton button, int x, int y);
    void ButtonClick(TToolbarButton* b);
    void Fire(TToolbarButton* b);
    void StartTimer(int ms);
    void StopTimer();
    void RepeatTick();

    TToolbarButton* FUp;
    TToolbarButton* FDown;
    QPointer<QWidget> FFocusControl;
    TSpinKind FKind = skVertical;
    bool FRepeating = false;
    int FRepeatDelay = 100, FRepeatInterval = 100;
    // The half held by a repeating press, and whether a tick came yet.
    TToolbarButton* FHeld = nullptr;
    bool FTicked = false;
    win::HWND FTimerWnd = 0;
    bool FTimerOn = false;
};

// The spin's default arrows (7 x 4, black, in a see-through border).
QImage SpinArrowImage(bool up);
