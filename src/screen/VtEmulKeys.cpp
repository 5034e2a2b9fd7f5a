// Keys of the terminal emulator: the key hook, the key table, letters, the
// scroll keys, typed and composed text, and sending key strings.
#include "screen/VtEmul.h"

#include "platform/CodePage.h"
#include "screen/KeyEvents.h"
#include "screen/KeyHook.h"
#include "screen/ScreenExport.h"
#include "screen/core/AnsiExport.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include <mutex>

bool TCustomVtEmul::CtrlArrow = false;
bool TCustomVtEmul::ScrollLockOn = false;

void TCustomVtEmul::focusInEvent(QFocusEvent* event) {
    TBgCrt::focusInEvent(event);
    if (!FHook)
        FHook = new screen::TKeyHook(
            this, [this](QKeyEvent& e) { return AppKeyDown(e); },
            [this](const QKeyEvent& e) { return WantsKey(e); });
    FHook->Install();
}

void TCustomVtEmul::focusOutEvent(QFocusEvent* event) {
    TBgCrt::focusOutEvent(event);
    if (FHook) FHook->Remove();
}

bool TCustomVtEmul::HookInstalled() const {
    return FHook && FHook->Installed();
}

bool TCustomVtEmul::WantsKey(const QKeyEvent& event) {
    const screen::TKeyDown key = screen::KeyDownFromEvent(event, ScrollLockOn);
    screen::TScrollState scroll{ViewRow(), TopRow(), Rows()};
    const auto d = screen::DecideKey(key, KeyTable, scroll);
    return d.Action == screen::TKeyAction::SendEntry || d.Action == screen::TKeyAction::Letter;
}

bool TCustomVtEmul::AppKeyDown(QKeyEvent& event) {
    if (event.key() == Qt::Key_ScrollLock && !event.isAutoRepeat()) ScrollLockOn = !ScrollLockOn;
    const screen::TKeyDown key = screen::KeyDownFromEvent(event, ScrollLockOn);
    if (key.Scan == 0) return false; // not a key of the PC keyboard: left to the control
    screen::TScrollState scroll{ViewRow(), TopRow(), Rows()};
    const auto d = screen::DecideKey(key, KeyTable, scroll);
    if (d.Examined) {
        BsDelMode = d.BsDelMode;
        CtrlArrow = d.CtrlArrow;
    }
    switch (d.Action) {
    case screen::TKeyAction::SendEntry: {
        const std::string_view text = d.Entry->Text();
        SendKeyString(text.data(), static_cast<int>(text.size()));
        if (key.Scan == 14 && BackspacePressed) BackspacePressed(this);
        return true;
    }
    case screen::TKeyAction::Letter: {
        char c = d.Letter;
        KeyPress(c);
        return true;
    }
    case screen::TKeyAction::Scroll:
        if (scroll.ViewRow != ViewRow()) {
            SetViewRow(scroll.ViewRow);
            RedrawScreen();
        }
        return false;
    case screen::TKeyAction::PassOn:
    case screen::TKeyAction::LeaveAlone:
        return false;
    }
    return false;
}

bool TCustomVtEmul::FindFKey(std::uint8_t vk, std::uint8_t scan, bool extended,
                             std::uint8_t shift) {
    const TKeyMapEntry* e = screen::FindKeyEntry(KeyTable, vk, scan, extended, shift);
    if (!e) return false;
    const std::string_view text = e->Text();
    SendKeyString(text.data(), static_cast<int>(text.size()));
    if (scan == 14 && BackspacePressed) BackspacePressed(this);
    return true;
}

void TCustomVtEmul::SendKeyString(const void* buffer, int len) {
    if (len < 0) return;
    if (OnKeyBuffer) {
        OnKeyBuffer(this, static_cast<const char*>(buffer), len);
        return;
    }
    FollowCursor();
    bool twice;
    {
        std::lock_guard<TRenderGuard> g(Screen().Rendering);
        const int y = std::clamp(CursorY(), 0, Rows() - 1);
        twice = screen::ShouldDoubleKey(Screen().ScreenRow(y), Columns(), CursorX(), BsDelMode,
                                        CtrlArrow,
                                        screen::TDoubleRules{Big5BackSpace, Big5Delete, Big5Arrow});
    }
    const std::string_view s(static_cast<const char*>(buffer), static_cast<size_t>(len));
    for (int n = twice ? 2 : 1; n > 0; --n) {
        if (SendTarget) SendTarget->SendStr(s);
        if (LocalEcho) WriteStr(s);
    }
}

void TCustomVtEmul::TypeText(const QString& text) {
    for (char c : win::QStringToBig5(text))
        KeyPress(c);
}

void TCustomVtEmul::keyPressEvent(QKeyEvent* event) {
    // What the hook left: typed characters (digits, punctuation, Enter, Esc,
    // Tab, Backspace and text of any script) go to KeyPress. Alt keys belong
    // to the window's shortcuts; keys without text (the scroll keys among
    // them) leave the view where it is.
    const QString text = event->text();
    const Qt::KeyboardModifiers m = event->modifiers();
    if ((m & Qt::AltModifier) || event->key() == Qt::Key_Delete) {
        event->ignore();
        return;
    }
    if (m & Qt::ControlModifier) {
        // With Ctrl a key types its control character or nothing, whatever
        // text the desktop made of it: Ctrl+. is not ".".
        const screen::TKeyDown key = screen::KeyDownFromEvent(*event, ScrollLockOn);
        const int c = screen::CtrlCharacter(key.VK, key.Shift);
        if (c < 0) {
            event->ignore();
            return;
        }
        char ch = static_cast<char>(c);
        KeyPress(ch);
        event->accept();
        return;
    }
    if (text.isEmpty()) {
        event->ignore();
        return;
    }
    TypeText(text);
    event->accept();
}

void TCustomVtEmul::inputMethodEvent(QInputMethodEvent* event) {
    // A composed text arrives as if typed, as Big5 bytes.
    if (!event->commitString().isEmpty()) TypeText(event->commitString());
    event->accept();
}

QVariant TCustomVtEmul::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImCursorRectangle) return CaretRect();
    if (query == Qt::ImEnabled) return true;
    return TBgCrt::inputMethodQuery(query);
}

void TCustomVtEmul::CopySelectionAnsi() {
    if (!SelectionShown) return;
    std::string text;
    {
        std::lock_guard<TRenderGuard> g(Screen().Rendering);
        text = screen::CellsToAnsi(screen::SelectionCells(
            BufferRows(ViewRow(), ViewRow() + Rows() - 1), Columns(), Selection()));
    }
    screen::CopyBig5ToClipboard(text);
}
