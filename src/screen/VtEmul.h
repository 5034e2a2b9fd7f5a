// The terminal emulator control: a screen control that owns a VT/ANSI
// interpreter and feeds it the bytes received from the host.
#pragma once
#include "screen/BgCrt.h"
#include "screen/core/KeyTable.h"
#include "screen/core/VtInterpreter.h"

#include <string>
#include <string_view>

namespace screen {
class TKeyHook;
}

// What key strings are sent to: the session (TTelnetEmul).
class TKeySendTarget {
public:
    virtual ~TKeySendTarget() = default;
    virtual int SendStr(std::string_view s) = 0;
};

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

    // ---- Keys (VtEmulKeys.cpp) ---------------------------------------------------------
    // While the control has the focus, its key hook sees every key press
    // first: table strings, letters and the scroll keys are handled there;
    // other keys reach the control (typed text goes to KeyPress) or, with
    // Alt, the window's shortcuts.
    using TKeyBufferEvent = std::function<void(TCustomVtEmul* sender, const char* buffer, int len)>;

    TKeyTable KeyTable{}; // filled by the key-map loader; all empty at creation
    std::string KeyType;  // name of the key map (kept for the session window)
    bool Big5BackSpace = false, Big5Delete = false, Big5Arrow = false;
    TKeySendTarget* SendTarget = nullptr;
    int BsDelMode = 0;        // 1 Backspace, 2 Left, 3 Right, 4 Delete, else 0
    static bool CtrlArrow;    // Left or Right with exactly Ctrl, for every screen
    static bool ScrollLockOn; // Scroll Lock state as seen by the screens' hooks
    bool LocalEcho = false;
    TKeyBufferEvent OnKeyBuffer;
    TNotifyEvent BackspacePressed;

    // Looks a key up in KeyTable and sends its string; true on a hit.
    bool FindFKey(std::uint8_t vk, std::uint8_t scan, bool extended, std::uint8_t shift);
    // Sends the bytes of a key (doubled next to a two-cell character when
    // the Big5 options ask for it), or hands them to OnKeyBuffer.
    void SendKeyString(const void* buffer, int len);
    bool HookInstalled() const;
    // Copies the selection with colour sequences to the clipboard.
    void CopySelectionAnsi();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab and Shift+Tab are keys for the host, not focus moves.
    bool focusNextPrevChild(bool) override { return false; }
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    bool AppKeyDown(QKeyEvent& event);
    bool WantsKey(const QKeyEvent& event);
    void TypeText(const QString& text);
    screen::TKeyHook* FHook = nullptr;

private:
    TVtInterpreter FVt;
};

// The emulator as forms use it.
class TVtEmul : public TCustomVtEmul {
    Q_OBJECT
public:
    using TCustomVtEmul::TCustomVtEmul;
};
