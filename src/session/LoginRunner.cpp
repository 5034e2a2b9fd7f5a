#include "session/LoginRunner.h"

#include "net/core/AsyncSocket.h"
#include "session/Connection.h"
#include "session/core/LoginScript.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

namespace {

// The session's queue of login bytes; a child of the session, so it goes
// with it and a flush posted for a closed session never runs.
class TLoginQueue : public QObject {
public:
    explicit TLoginQueue(TConnection& s) : QObject(&s), FSession(s) { setObjectName("LoginQueue"); }
    void Add(const std::string& bytes) {
        if (bytes.empty()) return;
        Bytes += bytes;
        if (FPosted) return;
        FPosted = true;
        QMetaObject::invokeMethod(
            this, [this] { Flush(); }, Qt::QueuedConnection);
    }
    void Flush() {
        FPosted = false;
        std::string out;
        out.swap(Bytes);
        if (out.empty() || !FSession.IsConnected()) return;
        FSession.SendStr(out);
    }
    std::string Bytes;

private:
    TConnection& FSession;
    bool FPosted = false;
};

TLoginQueue& QueueOf(TConnection& s) {
    if (auto* q = s.findChild<TLoginQueue*>("LoginQueue", Qt::FindDirectChildrenOnly)) return *q;
    return *new TLoginQueue(s);
}

} // namespace

void RunLoginStep(TConnection& s) {
    session::TLoginState st;
    st.LoginScript = s.LoginScript;
    st.ScriptPos = s.ScriptPos;
    st.ScriptDone = s.ScriptDone;
    st.KeyWord = s.KeyWord();
    st.TriggerCnt = s.TriggerCnt();
    st.HeadStringEnabled = s.HeadStringEnabled();
    const session::TScriptRun r = session::StepLogin(st);
    s.ScriptPos = st.ScriptPos;
    s.ScriptDone = st.ScriptDone;
    if (r.HeadCaptured) {
        s.SetHeadStringEnabled(false);
        s.SetHeadString(r.HeadString);
        if (s.OnHeadString) s.OnHeadString(&s, r.HeadString);
    }
    QueueOf(s).Add(r.Out);
    switch (r.Wait) {
    case session::TScriptRun::wKeyWord:
        s.SetKeyWord(st.KeyWord);
        s.SetTriggerCnt(st.TriggerCnt);
        break;
    case session::TScriptRun::wTimer:
        if (s.ScriptTimer) {
            s.ScriptTimer->stop();
            s.ScriptTimer->setInterval(r.TimerMs);
            s.ScriptTimer->start();
        }
        break;
    case session::TScriptRun::wEnd:
        if (s.ScriptTimer) s.ScriptTimer->stop();
        break;
    }
}

void LoginTimerFired(TConnection& s) {
    if (s.ScriptTimer) s.ScriptTimer->stop();
    if (s.IsConnected()) RunLoginStep(s);
}

std::string QueuedLoginBytes(TConnection& s) {
    return QueueOf(s).Bytes;
}

void SendAutoKey(TConnection& s) {
    const std::string bytes = session::DecodeAutoKey(s.AutoKey);
    QPointer<TConnection> alive(&s);
    for (char b : bytes) {
        if (!alive || !alive->IsConnected()) return;
        const bool sendNul = alive->SendNul();
        alive->SetSendNul(true);
        char key = b;
        alive->KeyPress(key);
        if (alive) alive->SetSendNul(sendNul);
    }
}
