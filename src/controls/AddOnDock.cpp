#include "controls/AddOnDock.h"

#include "platform/core/Messages.h"

namespace {
constexpr win::UINT_PTR SpinTimerId = 1;
}

QImage SpinArrowImage(bool up) {
    // A 7 x 4 arrow inside a one-pixel see-through border: the glyph rule
    // takes the bottom-left colour as see-through, so that pixel must never
    // be part of the arrow.
    const QRgb seeThrough = qRgb(128, 128, 0);
    QImage img(9, 6, QImage::Format_RGB32);
    img.fill(seeThrough);
    for (int row = 0; row < 4; ++row) {
        const int y = 1 + (up ? 3 - row : row); // widest row at the base
        for (int x = row; x < 7 - row; ++x)
            img.setPixel(1 + x, y, qRgb(0, 0, 0));
    }
    return img;
}

TSpin::TSpin(QWidget* parent) : QWidget(parent) {
    FUp = new TToolbarButton(this);
    FDown = new TToolbarButton(this);
    setFocusPolicy(Qt::NoFocus);
    for (TToolbarButton* b : {FUp, FDown}) {
        b->OnMouseDown = [this](TToolbarButton* s, Qt::MouseButton m, int x, int y) {
            ButtonDown(s, m, x, y);
        };
        b->OnMouseUp = [this](TToolbarButton* s, Qt::MouseButton m, int x, int y) {
            ButtonUp(s, m, x, y);
        };
        b->OnClick = [this](TToolbarButton* s) { ButtonClick(s); };
        b->OnMouseMove = [this](TToolbarButton*, int x, int y) {
            if (OnMouseMove) OnMouseMove(this, x, y);
        };
        b->show();
    }
    FUp->SetGlyph(SpinArrowImage(true));
    FDown->SetGlyph(SpinArrowImage(false));
    resize(20, 25);
    LayoutButtons();
}

TSpin::~TSpin() {
    StopTimer();
    if (FTimerWnd) win::DeallocateHWnd(FTimerWnd);
}

void TSpin::SetFlat(bool v) {
    FUp->SetFlat(v);
    FDown->SetFlat(v);
}

void TSpin::SetNoBorder(bool v) {
    FUp->SetNoBorder(v);
    FDown->SetNoBorder(v);
}

void TSpin::SetKind(TSpinKind kind) {
    if (kind == FKind) return;
    FKind = kind;
    LayoutButtons();
}

void TSpin::resizeEvent(QResizeEvent*) {
    LayoutButtons();
}

void TSpin::LayoutButtons() {
    const int w = width(), h = height();
    if (FKind == skVertical) {
        FUp->setGeometry(0, 0, w, h / 2);
        FDown->setGeometry(0, h / 2, w, h - h / 2);
    } else {
        FUp->setGeometry(0, 0, w / 2, h);
        FDown->setGeometry(w / 2, 0, w - w / 2, h);
    }
}

void TSpin::Fire(TToolbarButton* b) {
    if (b == FDown) {
        if (OnDownClick) OnDownClick(this);
    } else if (OnUpClick) {
        OnUpClick(this);
    }
}

void TSpin::ButtonDown(TToolbarButton* b, Qt::MouseButton button, int x, int y) {
    if (FFocusControl && !FFocusControl->hasFocus()) FFocusControl->setFocus();
    FHeld = nullptr;
    if (button == Qt::LeftButton && FRepeating) {
        FHeld = b;
        FTicked = false;
        StartTimer(FRepeatDelay);
    }
    if (OnMouseDown) OnMouseDown(this, button, x, y);
}

void TSpin::ButtonUp(TToolbarButton*, Qt::MouseButton button, int x, int y) {
    StopTimer();
    if (OnMouseUp) OnMouseUp(this, button, x, y);
}

void TSpin::ButtonClick(TToolbarButton* b) {
    if (FHeld) {
        // A repeating press: the ticks fired the event; a press released
        // before the first tick fires it once here.
        const bool fire = FHeld == b && !FTicked;
        FHeld = nullptr;
        if (fire) Fire(b);
        return;
    }
    Fire(b);
}

void TSpin::StartTimer(int ms) {
    StopTimer();
    if (ms <= 0) return; // 0 keeps the timer off
    if (!FTimerWnd)
        FTimerWnd = win::AllocateHWnd([this](win::TMessage& m) {
            if (m.Msg == win::WM_TIMER && m.WParam == SpinTimerId) RepeatTick();
        });
    win::SetTimer(FTimerWnd, SpinTimerId, win::UINT(ms));
    FTimerOn = true;
}

void TSpin::StopTimer() {
    if (FTimerOn && FTimerWnd) win::KillTimer(FTimerWnd, SpinTimerId);
    FTimerOn = false;
}

void TSpin::RepeatTick() {
    if (!FHeld) {
        StopTimer();
        return;
    }
    if (!FTicked) {
        FTicked = true;
        StartTimer(FRepeatInterval);
    }
    // Only while the pointer stays on the held half (it shows pressed).
    if (FHeld->State() == controls::bsDown) Fire(FHeld);
}
