// The terminal emulator control: a screen control that owns a VT/ANSI
// interpreter and feeds it the bytes received from the host.
#pragma once
#include "screen/BgCrt.h"
#include "screen/core/VtInterpreter.h"

class TCustomVtEmul : public TBgCrt {
    Q_OBJECT
public:
    // Opaque control, colours 7 on 0, AutoWrap off, 80 x 24.
    explicit TCustomVtEmul(QWidget* parent = nullptr);

    // Feeds one received byte.
    void ProcessChar(std::uint8_t ch) { FVt.ProcessChar(ch); }
    // Feeds a block of received bytes: the same result as one ProcessChar
    // per byte, faster.
    void ProcessBuffer(const std::uint8_t* data, std::size_t len) { FVt.ProcessBuffer(data, len); }
    void ProcessBuffer(std::string_view bytes) { FVt.ProcessBuffer(bytes); }
    // A new session starts: clears the region and index scroll state.
    void ResetScrollState() { FVt.ResetScrollState(); }

    TVtInterpreter& Interpreter() { return FVt; }
    const TVtInterpreter& Interpreter() const { return FVt; }

    bool Monochrome() const { return FVt.Monochrome; }
    void SetMonochrome(bool v) { FVt.Monochrome = v; }
    // Called for BEL from the host (the emulator makes no sound of its own).
    TNotifyEvent OnBeep;

private:
    TVtInterpreter FVt;
};

// The emulator as forms use it.
class TVtEmul : public TCustomVtEmul {
    Q_OBJECT
public:
    using TCustomVtEmul::TCustomVtEmul;
};
