// Main window: the events every session raises. The login script's keyword
// and timer, the head string, the bell, links, mouse buttons and the two
// session timers (bell state, anti-idle string). Decisions are in
// session/core/SessionEvents.h, the script itself in session/LoginRunner.h.
#include "session/Connection.h"
#include "session/LoginRunner.h"
#include "session/SysFocus.h"
#include "session/UrlOpener.h"
#include "session/WavePlayer.h"
#include "session/core/AppExecCore.h"
#include "session/core/SessionEvents.h"
#include "session/kvMainForm.h"

#include "controls/Flash.h"
#include "platform/CodePage.h"
#include "platform/core/Beep.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

bool Terminating() {
    return QCoreApplication::closingDown();
}

bool Checked(const TkvMainForm& f, const char* name) {
    QAction* a = f.Action(QString::fromLatin1(name));
    return a && a->isChecked();
}

} // namespace

// ---- Login script -----------------------------------------------------------

void TkvMainForm::SessionKeyWord(TConnection* s) {
    // Inside a screen write: the step only queues bytes and arms waits.
    if (s && SessionIndex(s) >= 0) RunLoginStep(*s);
}

void TkvMainForm::ScriptTimerTimer(TConnection* s) {
    if (s && SessionIndex(s) >= 0) LoginTimerFired(*s);
}

void TkvMainForm::SessionHeadString(TConnection* s, const std::string& head) {
    if (Settings.ShowID && ShowSessionHeadString) ShowSessionHeadString(s, head);
}

// ---- Bell -------------------------------------------------------------------

void TkvMainForm::SessionBeep(TConnection* s) {
    if (Terminating() || !s) return;
    const int index = SessionIndex(s);
    if (index < 0) return;
    session::TBellInput in;
    in.BeepKind = Settings.BeepKind;
    in.WaveFileSet = !Settings.BeepFilename.empty();
    in.Flash = Settings.Flash;
    in.RowState = SessionRowState ? SessionRowState(s) : session::rsConnected;
    in.FocusWhenBeep = Checked(*this, "FocusWhenBeep");
    in.AppActive = QApplication::activeWindow() != nullptr;
    in.IsCurrent = index == CurrentSession;
    const session::TBellAction a = session::DecideBell(in);

    switch (a.Sound) {
    case session::TBellAction::sNone:
        break;
    case session::TBellAction::sSystemDefault:
        win::MessageBeep(0xFFFFFFFFu);
        break;
    case session::TBellAction::sWave:
        // A bell while the last one still sounds is part of it: restarting
        // the player would wait for the old one to end, inside the screen
        // write, once per bell of a flood. A missing player or file still
        // makes a sound.
        if (BeepWave && BeepWave->Playing()) break;
        if (!BeepPlayer || !BeepPlayer(Settings.BeepFilename)) win::MessageBeep(0);
        break;
    case session::TBellAction::sMessageBeep:
        win::MessageBeep(0);
        break;
    }
    s->SetTimer1Interval(static_cast<unsigned>(std::max(0, Settings.ClearBeepInterval)));
    FlashCounter = 0;
    if (a.StartFlash) {
        // Started when stopped only: a restart would hold the housekeeping
        // back for as long as bells keep coming within a second.
        if (FlashTimer && !FlashTimer->isActive()) FlashTimer->start();
        if (Flash) Flash->SetEnabled(true);
    }
    if (a.SetBellState && SetSessionRowState) SetSessionRowState(s, session::rsBell);
    if (a.BringAppForward) {
        // Where the window system refuses to raise, the alert remains.
        raise();
        TSysFocus().SetFocus(this);
        if (!isActiveWindow()) QApplication::alert(this);
    }
    if (a.ActivateSession && BringSessionForward) BringSessionForward(s);
}

void TkvMainForm::SessionTimer1(TConnection* s) {
    if (Terminating() || !s || SessionIndex(s) < 0) return;
    if (!SessionRowState || !SetSessionRowState) return;
    const int now = SessionRowState(s);
    const int next = session::RowStateAfterBell(now, s->IsConnected());
    if (next != now) SetSessionRowState(s, next);
}

// ---- Anti-idle string -------------------------------------------------------

void TkvMainForm::SessionTimer2(TConnection* s) {
    if (!s || SessionIndex(s) < 0) return;
    session::TAutoSendInput in;
    in.Terminating = Terminating();
    in.Connected = s->IsConnected();
    in.HeadStringSet = !s->HeadString().empty();
    in.LoginWaiting = session::LoginScriptWaiting(s->LoginScript, s->TriggerCnt(), s->ScriptDone);
    in.ForeAutoSendKey = s->ForeAutoSendKey;
    in.ForeDontAutoSendKey = Checked(*this, "ForeDontAutoSendKey");
    in.BackAutoSendKey = s->BackAutoSendKey;
    in.BackDontAutoSendKey = Checked(*this, "BackDontAutoSendKey");
    in.IsCurrent = SessionIndex(s) == CurrentSession;
    in.AppActive = QApplication::activeWindow() != nullptr;
    if (session::ShouldAutoSend(in)) SendAutoKey(*s);
}

// ---- Links ------------------------------------------------------------------

void TkvMainForm::SessionHyperlink(TConnection*, const std::string& text, int kind) {
    const session::TLinkAction a = session::DecideLink(text, kind, Settings.DownloadMethod,
                                                       Settings.FTPFile, Settings.DownloadDir);
    switch (a.Kind) {
    case session::TLinkAction::aOpenMail:
        // The desktop's opener, never the browser the preferences name.
        try {
            TUrlOpener opener;
            opener.Url = a.Target;
            opener.Execute();
        } catch (const EUrlOpener& e) {
            QMessageBox::critical(this, QString::fromUtf8(ApplicationTitle),
                                  win::Big5ToQString(std::string_view(e.what())));
        }
        break;
    case session::TLinkAction::aOpenUrl:
        if (OpenUrlHandler)
            OpenUrlHandler(a.Target);
        else
            QDesktopServices::openUrl(QUrl(win::Big5ToQString(a.Target)));
        break;
    case session::TLinkAction::aClipboard:
        QApplication::clipboard()->setText(win::Big5ToQString(a.Target));
        break;
    case session::TLinkAction::aStartProgram: {
        std::string error;
        bool ok = false;
        if (StartProgram) {
            ok = StartProgram(a.Program, a.Args, &error);
        } else {
            // One argument each, never through a shell.
            TAppExec exec;
            exec.ExeName = a.Program;
            exec.ExeParams = a.Args;
            exec.ChangeDir = false;
            try {
                exec.Execute();
                ok = true;
            } catch (const EAppExec& e) {
                error = e.what();
            }
        }
        if (!ok)
            QMessageBox::warning(this, QString::fromUtf8(ApplicationTitle),
                                 win::Big5ToQString(a.Program) + "\n" + win::Big5ToQString(error));
        break;
    }
    }
}

// ---- Mouse ------------------------------------------------------------------

void TkvMainForm::SessionMouseDown(TConnection* s, Qt::MouseButton button, Qt::KeyboardModifiers,
                                   int, int) {
    if (!s) return;
    QWidget* focus = QApplication::focusWidget();
    if (focus && (focus == HostNameComboBox || focus == HostNameComboBox->lineEdit() ||
                  focus == PortEdit || focus == ShortcutEdit ||
                  (LineComboBox && (focus == LineComboBox || focus == LineComboBox->lineEdit()))))
        s->setFocus();
    if (Settings.RightBtnCopy && button == Qt::RightButton) PasteClick(nullptr);
}

void TkvMainForm::SessionMouseUp(TConnection* s, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    if (!s || !Settings.CopyMark || !s->SelectionShown) return;
    s->CopySelection();
    s->ClearSelection();
}

void TkvMainForm::SessionMouseMove(TConnection*, Qt::KeyboardModifiers, int, int) {}
