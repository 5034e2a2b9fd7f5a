// The main window's address-book commands (show the book, add the current
// site, the two password commands), the progress pass of the commands that
// walk every session, and the lock those commands hold meanwhile.
#include "session/kvMainForm.h"

#include "dialogs/DirectoryDialog.h"
#include "platform/CodePage.h"
#include "session/Connection.h"
#include "session/DirectoryHost.h"
#include "session/core/DirectoryFile.h"
#include "session/core/ProgressPass.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <string_view>

namespace {

// The commands a long pass keeps off, in the order they are switched.
const char* const LockedCommands[] = {"SetPreference", "RunScript", "Directory", "ConnectionForm1"};

} // namespace

void TkvMainForm::EnableCommands(bool enable) {
    FCommandsLocked = !enable;
    for (const char* name : LockedCommands)
        if (QAction* a = Action(QString::fromLatin1(name)))
            a->setEnabled(enable && !(FScriptRunning && std::string_view(name) == "RunScript"));
    if (!FlashTimer) return;
    if (!enable)
        FlashTimer->stop();
    else if (FirstShowDone && !FDestroyed && !FlashTimer->isActive())
        // The housekeeping timer runs only once the window was first shown.
        FlashTimer->start();
}

void TkvMainForm::ProgressPass(const std::vector<TConnection*>& sessions,
                               const std::function<void(TConnection*)>& step) {
    // Handles that notice a session freed while messages are processed.
    std::vector<QPointer<TConnection>> handles(sessions.begin(), sessions.end());
    const bool outer = FPassLock.Enter();
    if (outer) EnableCommands(false);
    struct TEnd {
        TkvMainForm& F;
        ~TEnd() {
            if (!F.FPassLock.Leave()) return;
            F.SetStatusText(4, QString());
            F.EnableCommands(true);
        }
    } end{*this};
    const int n = static_cast<int>(handles.size());
    for (int i = 0; i < n; ++i) {
        SetStatusText(4, QString::fromStdString(session::ProgressText(i, n)));
        QApplication::processEvents();
        TConnection* s = handles[static_cast<std::size_t>(i)].data();
        // A session closed meanwhile has left the list (or is gone).
        if (!s || std::find(Sessions.begin(), Sessions.end(), s) == Sessions.end()) continue;
        step(s);
    }
}

void TkvMainForm::DirectoryClick(QObject*) {
    TDirectoryDlg* dlg = EnsureDirectoryDlg(*this);
    dlg->exec();
}

void TkvMainForm::AddSiteClick(QObject*) {
    if (CurrentSession < 0 || CurrentSession >= static_cast<int>(Sessions.size())) return;
    TConnection* s = Sessions[static_cast<std::size_t>(CurrentSession)];
    TDirectoryDlg* dlg = EnsureDirectoryDlg(*this);
    // Every setting starts from the default site; the dialog stays hidden.
    dlg->LoadSite(session::DefaultSiteName());
    dlg->AliasEdit->setText(win::Big5ToQString(s->SiteName));
    dlg->HostEdit->setText(win::Big5ToQString(s->HostName()));
    dlg->PortEdit->setText(win::Big5ToQString(s->Port()));
    dlg->NewClick();
}

void TkvMainForm::ResetPasswordClick(QObject*) {
    EnsureDirectoryDlg(*this)->CheckPassword(true);
    DefaultFocus(LineLocked());
}

void TkvMainForm::ReAskPasswordClick(QObject*) {
    EnsureDirectoryDlg(*this)->ReAskPassword();
}
