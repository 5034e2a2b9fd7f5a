// The session component: the emulator control bound to one telnet
// connection. The session logic lives in net::TTelnetSession (Qt-free); this
// class binds it to the control's screen, interpreter, keys and clipboard.
#pragma once
#include "net/core/TelnetSession.h"
#include "screen/VtEmul.h"

#include <functional>
#include <string>

class TTelnetEmul : public TVtEmul, public TKeySendTarget {
    Q_OBJECT
public:
    using TDataAvailableEvent = std::function<void(TTelnetEmul* sender, char* buffer, int& len)>;
    using THeadStringEvent = std::function<void(TTelnetEmul* sender, const std::string& head)>;

    explicit TTelnetEmul(QWidget* parent = nullptr);

    // Clears the screen, writes the connecting line and starts connecting;
    // raises net::ESocketException on a socket error. May run on a worker
    // thread.
    void Connect() { FSession.Connect(); }
    void Disconnect() { FSession.Disconnect(); }
    int SendStr(std::string_view s) override;
    bool IsConnected() const { return FSession.IsConnected(); }

    // Sends the clipboard text line by line (only while connected); the
    // ANSI form first makes ESC harmless as Mode says (0 doubled, 1 Ctrl-U,
    // 2 removed).
    void Paste() override;
    void PasteAnsi(int mode);
    void KeyPress(char& key) override;

    net::TTelnetCnx& TelnetCnx() { return FSession.TelnetCnx(); }
    net::TTelnetSession& Session() { return FSession; }

    bool IsConnecting() const { return FSession.IsConnecting(); }
    net::WORD Error() const { return FSession.Error(); }
    const std::string& HostName() const { return FSession.HostName; }
    void SetHostName(const std::string& v) { FSession.HostName = v; }
    const std::string& Port() const { return FSession.Port; }
    void SetPort(const std::string& v) { FSession.Port = v; }
    const std::string& HeadString() const { return FSession.HeadString(); }
    void SetHeadString(const std::string& v) { FSession.SetHeadString(v); }
    bool HeadStringEnabled() const { return FSession.HeadStringEnabled; }
    void SetHeadStringEnabled(bool v) { FSession.HeadStringEnabled = v; }
    void HeadStringBackspace() { FSession.HeadStringBackspace(); }
    bool qpEnabled() const { return FSession.qpEnabled; }
    void SetqpEnabled(bool v) { FSession.qpEnabled = v; }
    int CRLF() const { return FSession.CRLF; }
    void SetCRLF(int v) { FSession.CRLF = v; }
    bool SendNul() const { return FSession.SendNul; }
    void SetSendNul(bool v) { FSession.SendNul = v; }

    TNotifyEvent OnSessionClosed;
    TNotifyEvent OnSessionConnected;
    TDataAvailableEvent OnDataAvailable;
    THeadStringEvent OnHeadString;

private:
    net::TTelnetSession FSession;
};
