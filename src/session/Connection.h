// One terminal session: the telnet terminal control with what the main
// window keeps per session (number, login-script state and timer, auto-send
// state, site name, background picture file) and the GUI-thread half of the
// connect road.
//
// The constructor copies the program-wide settings into the new screen and
// wires every event to the owner (the main window), so a session never reads
// the owner's settings afterwards.
//
// Connecting: StartConnect clears the screen, writes the connecting line and
// hands the name look-up to a TConnectionThread. Its result arrives as a
// message to this session's own hidden window; the socket is then created
// and connected here, on the GUI thread, or the failure line is written and
// the owner told (ConnectFailed). A session closed meanwhile has no window
// any more, so a late result is dropped.
#pragma once
#include "net/TelnetEmul.h"
#include "session/ConnectionThread.h"

#include <QDateTime>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <string>

class TConnection;

// The program-wide settings a new session copies (main settings file keys).
struct TSessionDefaults {
    unsigned DelayInterval = 0;
    bool Big5BackSpace = true;
    bool Big5Delete = true;
    bool Big5Arrow = false;
    int ClearBeepInterval = 5000; // milliseconds
    bool DecodeQP = false;
    int CaretHeight = 2;
    bool CaretType = false;
    std::string CaretImageFilename; // local file name (UTF-8)
    int CRLF = 0;
    TColor wwwHyperlinkColor = 0x00FF00;
    TColor ftpHyperlinkColor = 0x0000FF;
    TColor emailHyperlinkColor = 0xFFFFFF;
    int MaxBufferRows = 1000;
};

// What a session needs of its owner: the settings, the queued login script,
// a session number, and the handlers of its events.
class TConnectionOwner {
public:
    virtual ~TConnectionOwner() = default;
    virtual const TSessionDefaults& SessionDefaults() const = 0;
    // The script queued for "the next session"; taking it clears it.
    virtual std::string TakePendingScript() = 0;
    // The lowest free number 1..10, 0 when all are taken.
    virtual int TakeSessionNumber() = 0;

    virtual void SessionConnected(TConnection* s) = 0;
    virtual void ConnectionSessionClosed(TConnection* s) = 0;
    // The connect failed before a connection came up (look-up, socket).
    virtual void ConnectFailed(TConnection* s) = 0;
    virtual void SessionBeep(TConnection*) {}
    virtual void SessionMouseDown(TConnection*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
    virtual void SessionMouseUp(TConnection*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
    virtual void SessionMouseMove(TConnection*, Qt::KeyboardModifiers, int, int) {}
    virtual void SessionHeadString(TConnection*, const std::string&) {}
    virtual void SessionHyperlink(TConnection*, const std::string&, int) {}
    virtual void SessionKeyWord(TConnection*) {}
    virtual void SessionTimer1(TConnection*) {}
    virtual void SessionTimer2(TConnection*) {}
    virtual void SessionSetFocus(TConnection*) {}
    virtual void ScriptTimerTimer(TConnection*) {}
};

class TConnection : public TTelnetEmul {
    Q_OBJECT
public:
    // Builds a session for the owner; `parent` is the widget it sits on.
    TConnection(TConnectionOwner& owner, QWidget* parent = nullptr);
    ~TConnection() override;

    // ---- fields, in the order the design lists them
    int Busy = 1; // the window is reserved or a connect is in progress
    QTimer* ScriptTimer = nullptr;
    int ScriptDone = 0;
    QDateTime ConnectTime; // null = not connected
    std::string SiteName;
    int UsesDefaultSite = 0;
    bool ForeAutoSendKey = false;
    bool BackAutoSendKey = false;
    int SendKeyInterval = 0; // milliseconds between auto-sends
    std::string AutoKey;
    std::string LoginScript;
    int ScriptPos = 1;
    int SavedTriggerCnt = 0;
    std::string SavedKeyWord;
    std::string PictureFileName;
    int Maximized = 0;

    // The session number (1..10, 0 = none), as the component's tag.
    int Tag = 0;

    // ---- state of the connect road kept beside the design's fields
    // The user disconnected the session since its last connect: the
    // automatic reconnect leaves it alone, its close arms nothing.
    bool UserClosed = false;
    // The session connected and is counted in the owner's connected count.
    bool Counted = false;

    // Clears the screen, writes the connecting line and starts the look-up
    // of HostName on a worker; the rest follows on this thread.
    void StartConnect();
    // Ends the connection, or the connect on its way: a look-up still
    // running is forgotten and the session goes idle as after a close.
    void Disconnect();
    // A connect is on its way (look-up or socket not yet connected).
    bool Resolving() const { return FAttempt != 0; }
    // The session's own hidden window (the worker posts to it).
    win::HWND Window() const { return FWindow; }

private:
    void HostResolved(unsigned attempt);
    void Fail(const std::string& message);
    // Closes a socket a failed start left open, without a closed event.
    void CloseQuietly();

    TConnectionOwner& FOwner;
    win::HWND FWindow = 0;
    unsigned FAttempt = 0;
    unsigned FNextAttempt = 0;
    std::shared_ptr<session::TResolveSlot> FSlot;
};
