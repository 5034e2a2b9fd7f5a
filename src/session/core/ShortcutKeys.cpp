#include "session/core/ShortcutKeys.h"

namespace session {
namespace {

struct TAltCommand {
    char Letter;
    const char* Guard; // nullptr: no guard
    TShortcutAction Action;
    const char* Control; // what is clicked or focused
    int Bar;             // 0 none, 1 connection bar, 2 shortcut bar must show
};

constexpr TAltCommand AltCommands[] = {
    {'B', "EditSpeedBtn", TShortcutAction::ClickControl, "EditSpeedBtn", 0},
    {'C', "ConnectSpeedBtn", TShortcutAction::ClickControl, "ConnectSpeedBtn", 0},
    {'D', "DisconnectSpeedBtn", TShortcutAction::ClickControl, "Disconnect", 0},
    {'G', "SingleConnectSpeedBtn", TShortcutAction::ClickControl, "SingleConnect", 0},
    {'H', "HostNameComboBox", TShortcutAction::FocusControl, "HostNameComboBox", 1},
    {'J', "TalkPvsSpeedBtn", TShortcutAction::ClickControl, "TalkPvsSpeedBtn", 0},
    {'K', "TalkNxtSpeedBtn", TShortcutAction::ClickControl, "TalkNxtSpeedBtn", 0},
    {'L', "ShortcutEdit", TShortcutAction::FocusControl, "ShortcutEdit", 2},
    {'N', "OtherConnectionSpeedBtn", TShortcutAction::ClickControl, "OtherConnectionSpeedBtn", 0},
    {'O', "PreferenceSpeedBtn", TShortcutAction::ClickControl, "PreferenceSpeedBtn", 0},
    {'P', "PortEdit", TShortcutAction::FocusControl, "PortEdit", 1},
    {'R', "ScriptSpeedBtn", TShortcutAction::ClickControl, "ScriptSpeedBtn", 0},
    {'S', "ShowSpeedBtn", TShortcutAction::ClickControl, "ShowSpeedBtn", 0},
    {'U', "PasteSpeedBtn", TShortcutAction::ClickControl, "PasteSpeedBtn", 0},
    {'X', "NextSpeedBtn", TShortcutAction::ClickControl, "NextSpeedBtn", 0},
    {'Y', "CopySpeedBtn", TShortcutAction::ClickControl, "CopySpeedBtn", 0},
    {'Z', "PreviousSpeedBtn", TShortcutAction::ClickControl, "PreviousSpeedBtn", 0},
};

bool GuardOn(const TShortcutState& s, const char* guard) {
    return !guard || !s.Enabled || s.Enabled(guard);
}

TShortcutResult Consume() {
    TShortcutResult r;
    r.Consumed = true;
    return r;
}

TShortcutResult WithCaption(TShortcutResult r, char c) {
    r.SetCaption = true;
    r.Caption = std::string("&") + c;
    return r;
}

TShortcutResult AltKey(int key, const TShortcutState& s) {
    if (key >= vk::Digit0 && key <= vk::Digit9) {
        const int n = key == vk::Digit0 ? 10 : key - vk::Digit0;
        TShortcutResult r;
        if (!s.NumberUsed[n]) {
            r.Action = TShortcutAction::Beep;
            return r; // passes on
        }
        int found = -1;
        for (std::size_t i = 0; i < s.Numbers.size(); ++i)
            if (s.Numbers[i] == n) {
                found = static_cast<int>(i);
                break;
            }
        if (found < 0) return r;
        r.Consumed = true;
        if (found != s.CurrentSession) {
            r.Action = TShortcutAction::ActivateSession;
            r.Arg = found;
        }
        return WithCaption(r, static_cast<char>(key));
    }
    if (key == vk::F4) {
        TShortcutResult r = Consume();
        r.Action = TShortcutAction::CloseMain;
        return r;
    }
    if (key == 'A') {
        TShortcutResult r = Consume();
        r.Action =
            s.LineBoxFocused ? TShortcutAction::LineEditorLeave : TShortcutAction::LineEditorEnter;
        return WithCaption(r, 'A');
    }
    if (key == vk::Comma || key == vk::Period) {
        const bool back = key == vk::Comma;
        TShortcutResult r = Consume();
        if (!GuardOn(s, back ? "PreviousSpeedBtn" : "NextSpeedBtn")) return r;
        r = WithCaption(r, back ? ',' : '.');
        const int c = static_cast<int>(s.Numbers.size());
        if (s.ActivationCount > 1 && c > 0) {
            // No current session counts as tab -1: period goes to tab 0.
            const int cur = s.CurrentSession;
            r.Action = TShortcutAction::StepSession;
            r.Arg = back ? ((cur + c - 1) % c + c) % c : ((cur + 1) % c + c) % c;
        }
        return r;
    }
    for (const TAltCommand& cmd : AltCommands) {
        if (key != cmd.Letter) continue;
        TShortcutResult r = Consume();
        if (!GuardOn(s, cmd.Guard)) return r;
        r = WithCaption(r, cmd.Letter);
        if (cmd.Bar == 1 && !s.ConnectionBarVisible) return r;
        if (cmd.Bar == 2 && !s.ShortcutBarVisible) return r;
        r.Action = cmd.Action;
        r.Control = cmd.Control;
        return r;
    }
    return Consume(); // every other Alt key, Alt alone among them
}

bool HasAltCommand(int key) {
    if (key == 'A') return true;
    for (const TAltCommand& cmd : AltCommands)
        if (key == cmd.Letter) return true;
    return false;
}

} // namespace

bool AltKeyReachesMenus(int key, bool shift, bool alt, bool ctrl) {
    if (!alt || shift || ctrl) return false;
    if (key == vk::Menu) return true;
    return key >= 'A' && key <= 'Z' && !HasAltCommand(key);
}

TShortcutResult DecideShortcut(int key, bool shift, bool alt, bool ctrl, const TShortcutState& s) {
    if (!shift && !alt && key >= vk::F1 && key <= vk::F12) {
        TShortcutResult r = Consume();
        r.Action = TShortcutAction::ClickSpeedButton;
        r.Arg = key - vk::F1;
        return r;
    }
    if (shift) {
        if (s.CurrentSession < 0 || !s.TerminalFocused) return {};
        TShortcutResult r = Consume();
        if (key >= vk::F1 && key <= vk::F5) {
            r.Action = TShortcutAction::SelectGroup;
            r.Arg = key - vk::F1 + 1;
        } else if (key == vk::PageUp) {
            r.Action = TShortcutAction::SpinUp;
        } else if (key == vk::PageDown) {
            r.Action = TShortcutAction::SpinDown;
        } else if (key == vk::Home) {
            r.Action = TShortcutAction::SelectGroup;
            r.Arg = 1;
        } else if (key == vk::End) {
            r.Action = TShortcutAction::SelectGroup;
            r.Arg = 5;
        }
        return r;
    }
    if (alt) return AltKey(key, s);
    if (ctrl) {
        if (!s.Punctuation || s.CurrentSession < 0 || !s.CurrentConnected) return {};
        const char* text = key == vk::Semicolon ? "\xA1\x46"
                           : key == vk::Comma   ? "\xA1\x41"
                           : key == vk::Period  ? "\xA1\x43"
                                                : nullptr;
        if (!text) return {};
        TShortcutResult r = Consume();
        r.Action = TShortcutAction::SendText;
        r.Text = text;
        return r;
    }
    return {};
}

} // namespace session
