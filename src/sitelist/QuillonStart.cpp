#include "sitelist/QuillonStart.h"

#include "platform/QtMessageLoop.h"
#include "platform/SignalClose.h"
#include "platform/core/Folders.h"
#include "platform/core/WindowChannel.h"
#include "sitelist/QuillonForm.h"
#include "sitelist/SiteMessages.h"

#include <QApplication>
#include <QPointer>
#include <memory>
#include <optional>

namespace {

const char* const kClassName = "TQuillonFrm";

void BringForward(TQuillonFrm* form) {
    if (form->isMinimized()) form->showNormal();
    form->show();
    form->raise();
    form->activateWindow();
    // A desktop that keeps the focus where it is gets asked for attention.
    if (!form->isActiveWindow()) QApplication::alert(form);
}

// The answers to another start's restore and bring-forward requests. The
// window may still be loading its list when one comes: it shows soon anyway.
void AnswerWindowRequests(win::HWND wnd, const QPointer<TQuillonFrm>& form) {
    win::TWindowStateHandler h;
    h.Show = [form](int cmd) {
        if (form && (cmd == win::SW_RESTORE || cmd == win::SW_SHOWNORMAL || cmd == win::SW_SHOW))
            BringForward(form);
        return true;
    };
    h.SetForeground = [form] {
        if (form) BringForward(form);
        return true;
    };
    h.IsIconic = [form] { return form && form->isMinimized(); };
    win::SetWindowStateHandler(wnd, std::move(h));
}

} // namespace

std::string QuillonDataFolder(const std::string& programFolder) {
    return win::GetSettingsFolder(programFolder, {"Quillon.ini", "Quillon.txt"});
}

int RunQuillon(int& argc, char** argv, const TQuillonStart& start) {
    std::optional<QApplication> app;
    if (!qApp) app.emplace(argc, argv);
    // No display name: the window system would add it to every caption.
    win::InstallQtMessageLoop();

    // Looking for a running instance and becoming the one happen under one
    // lock, so two starts at once never make two writers of Quillon.txt.
    std::optional<win::TWindowClassLock> lock;
    lock.emplace(kClassName);
    if (win::HWND running = win::FindWindow(kClassName)) {
        lock.reset();
        bool answered = win::IsIconic(running) ? win::ShowWindow(running, win::SW_RESTORE)
                                               : win::SetForegroundWindow(running);
        if (answered) return 0;
        SiteMessageBox(nullptr, TMsgKind::Error, "錯誤的視窗代碼", QMessageBox::Ok, "Brannoc");
        return 1;
    }
    // A signal or a log-out closes the window as its close command does.
    // One that comes while a start-up box is open (an unreadable list) ends
    // that box and the start. Hooked before the first box can open.
    struct TStart {
        QPointer<TQuillonFrm> Form;
        bool Running = false, EndRequested = false;
    };
    auto state = std::make_shared<TStart>();
    win::CloseOnSignals([state] {
        if (state->Running) {
            if (state->Form && state->Form->isVisible()) state->Form->close();
            return;
        }
        state->EndRequested = true;
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });

    QPointer<TQuillonFrm> form;
    win::HWND wnd = win::AllocateHWnd([](win::TMessage&) {});
    win::SetWindowClassName(wnd, kClassName);
    AnswerWindowRequests(wnd, form);
    lock.reset();

    std::string program =
        start.ProgramFolder.empty() ? win::GetProgramFolder() : start.ProgramFolder;
    std::string data = start.DataFolder.empty() ? QuillonDataFolder(program) : start.DataFolder;
    auto* f =
        new TQuillonFrm(data, program, start.MakeServer ? start.MakeServer() : MakeChannelServer(),
                        MakeProcessStarter());
    form = f;
    state->Form = f;
    AnswerWindowRequests(wnd, form);
    int rc = 0;
    if (!state->EndRequested) {
        state->Running = true;
        if (start.OnForm) start.OnForm(*f);
        f->show();
        rc = QApplication::exec();
    }
    win::DeallocateHWnd(wnd);
    delete f;
    return rc;
}
