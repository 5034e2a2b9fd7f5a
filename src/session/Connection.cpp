#include "session/Connection.h"

#include "session/core/ConnectRules.h"

#include <QImage>

TConnection::TConnection(TConnectionOwner& owner, QWidget* parent)
    : TTelnetEmul(parent), FOwner(owner) {
    // 1. Font changes during set-up are applied once, when it ends.
    SetLazyChangeFont(true);
    // 2.
    Busy = 1;
    ScriptDone = 0;
    ScriptPos = 1;
    move(0, 0);

    // 3. and 4., in the order the settings and events are set.
    const TSessionDefaults& d = FOwner.SessionDefaults();
    SetInterval(d.DelayInterval);
    SetTextColor(7);
    SetBackColor(0);
    Big5BackSpace = d.Big5BackSpace;
    Big5Delete = d.Big5Delete;
    Big5Arrow = d.Big5Arrow;
    OnSessionConnected = [this](TBgCrt*) { FOwner.SessionConnected(this); };
    OnSessionClosed = [this](TBgCrt*) { FOwner.ConnectionSessionClosed(this); };
    OnBeep = [this](TBgCrt*) { FOwner.SessionBeep(this); };
    OnMouseDown = [this](TBgCrt*, Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
        FOwner.SessionMouseDown(this, b, m, x, y);
    };
    OnMouseUp = [this](TBgCrt*, Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
        FOwner.SessionMouseUp(this, b, m, x, y);
    };
    OnMouseMove = [this](TBgCrt*, Qt::KeyboardModifiers m, int x, int y) {
        FOwner.SessionMouseMove(this, m, x, y);
    };
    OnHeadString = [this](TTelnetEmul*, const std::string& h) {
        FOwner.SessionHeadString(this, h);
    };
    OnHyperlink = [this](TBgCrt*, const std::string& str, int kind) {
        FOwner.SessionHyperlink(this, str, kind);
    };
    OnKeyWord = [this](TBgCrt*) { FOwner.SessionKeyWord(this); };
    OnTimer1 = [this](TBgCrt*) { FOwner.SessionTimer1(this); };
    SetTimer1Interval(static_cast<unsigned>(std::max(0, d.ClearBeepInterval)));
    OnTimer2 = [this](TBgCrt*) { FOwner.SessionTimer2(this); };
    OnSetFocus = [this](TBgCrt*) { FOwner.SessionSetFocus(this); };
    SetqpEnabled(d.DecodeQP);
    SetCursorHeight(d.CaretHeight);
    if (d.CaretType && !d.CaretImageFilename.empty()) {
        QImage caret(QString::fromStdString(d.CaretImageFilename));
        if (!caret.isNull()) SetCursorGlyph(caret);
    }
    SetCRLF(d.CRLF);
    HttpHyperlinkColor = d.wwwHyperlinkColor;
    FtpHyperlinkColor = d.ftpHyperlinkColor;
    EmailHyperlinkColor = d.emailHyperlinkColor;
    SetMaxBufferRows(d.MaxBufferRows);

    // 5. A script queued for the next session is taken by this one alone.
    LoginScript = FOwner.TakePendingScript();

    // 6.
    ScriptTimer = new QTimer(this);
    ScriptTimer->setSingleShot(false);
    connect(ScriptTimer, &QTimer::timeout, this, [this] { FOwner.ScriptTimerTimer(this); });

    // 7.
    Tag = FOwner.TakeSessionNumber();

    FWindow = win::AllocateHWnd([this](win::TMessage& m) {
        if (m.Msg == session::WM_HOST_RESOLVED) HostResolved(static_cast<unsigned>(m.WParam));
    });
}

TConnection::~TConnection() {
    // A look-up still running posts to a window that no longer exists.
    win::DeallocateHWnd(FWindow);
    FWindow = 0;
    ScriptTimer->stop();
    delete ScriptTimer;
    ScriptTimer = nullptr;
    // The events must not reach the owner while the base classes go.
    OnSessionConnected = OnSessionClosed = nullptr;
    OnTimer1 = OnTimer2 = OnTimer3 = nullptr;
    OnSetFocus = nullptr;
}

void TConnection::StartConnect() {
    UserClosed = false;
    Session().BeginConnect();
    // Attempt numbers tell a late answer of an earlier look-up from the
    // current one.
    FAttempt = ++FNextAttempt;
    if (FAttempt == 0) FAttempt = ++FNextAttempt;
    FSlot = session::TConnectionThread::Create(HostName(), FWindow, FAttempt);
}

void TConnection::Disconnect() {
    if (FAttempt != 0) {
        FAttempt = 0;
        FSlot.reset();
        Session().ConnectAborted();
        FOwner.ConnectionSessionClosed(this);
        return;
    }
    TTelnetEmul::Disconnect();
}

void TConnection::HostResolved(unsigned attempt) {
    if (attempt != FAttempt || !FSlot) return;
    const session::TResolveResult r = FSlot->Get();
    FSlot.reset();
    FAttempt = 0;
    if (!r.Ok) {
        Fail(r.Message);
        return;
    }
    try {
        Session().ConnectTo(r.Address);
    } catch (const net::ESocketException& e) {
        CloseQuietly();
        Fail(e.what());
    }
}

void TConnection::Fail(const std::string& message) {
    Session().ConnectAborted();
    WriteLn(session::ConnectErrorLine(message));
    FOwner.ConnectFailed(this);
}

void TConnection::CloseQuietly() {
    net::TTelnetCnx& cnx = TelnetCnx();
    auto closed = std::move(cnx.OnSessionClosed);
    cnx.OnSessionClosed = nullptr;
    try {
        cnx.Close();
    } catch (const net::ESocketException&) {
    }
    cnx.OnSessionClosed = std::move(closed);
}
