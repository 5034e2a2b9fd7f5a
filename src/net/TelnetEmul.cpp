#include "net/TelnetEmul.h"

#include "screen/ScreenExport.h"

#include "platform/CodePage.h"
#include "platform/core/Beep.h"

#include <QApplication>
#include <QClipboard>

TTelnetEmul::TTelnetEmul(QWidget* parent) : TVtEmul(parent), FSession(Screen(), Interpreter()) {
    SendTarget = this;
    BackspacePressed = [this](TBgCrt*) { HeadStringBackspace(); };
    FSession.OnSessionConnected = [this] {
        if (OnSessionConnected) OnSessionConnected(this);
    };
    FSession.OnSessionClosed = [this] {
        if (OnSessionClosed) OnSessionClosed(this);
    };
    FSession.OnDataAvailable = [this](char* buffer, int& len) {
        if (OnDataAvailable) OnDataAvailable(this, buffer, len);
    };
    FSession.OnHeadString = [this](const std::string& head) {
        if (OnHeadString) OnHeadString(this, head);
    };
}

int TTelnetEmul::SendStr(std::string_view s) {
    try {
        return FSession.SendStr(std::string(s));
    } catch (const net::ESocketException&) {
        // Not connected: the key goes nowhere; the bell says so.
        win::MessageBeep(0);
        return -1;
    }
}

void TTelnetEmul::KeyPress(char& key) {
    TVtEmul::KeyPress(key);
    FSession.LocalEcho = LocalEcho;
    try {
        FSession.KeyPress(static_cast<std::uint8_t>(key));
    } catch (const net::ESocketException&) {
        win::MessageBeep(0);
    }
}

void TTelnetEmul::Paste() {
    if (!IsConnected()) return;
    FSession.PasteText(screen::ClipboardBig5());
}

void TTelnetEmul::PasteAnsi(int mode) {
    if (!IsConnected()) return;
    FSession.PasteAnsiText(screen::ClipboardBig5(), mode);
}
