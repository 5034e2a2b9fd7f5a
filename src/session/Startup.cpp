#include "session/Startup.h"

#include "net/core/SyncSocket.h"
#include "platform/DisplayCheck.h"
#include "platform/QtMessageLoop.h"
#include "platform/SignalClose.h"
#include "platform/WriteErrorBox.h"
#include "platform/core/Files.h"
#include "platform/core/Folders.h"
#include "platform/core/WindowChannel.h"
#include "session/DirectoryHost.h"
#include "session/kvMainForm.h"

#include <QApplication>
#include <QMessageBox>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <random>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<bool> gClosingDown{false};

// A lock beside KVpass that second starts take in turn; released when
// the process ends, however it ends.
class THandoverLock {
public:
    explicit THandoverLock(const std::string& path) {
        Fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (Fd_ < 0) return;
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHandoverWaitMs);
        while (::flock(Fd_, LOCK_EX | LOCK_NB) != 0) {
            if (std::chrono::steady_clock::now() > until) break; // go on without it
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~THandoverLock() {
        if (Fd_ >= 0) ::close(Fd_);
    }

private:
    int Fd_ = -1;
};

std::string NewTicket() {
    std::random_device rd;
    std::uint32_t t = 0;
    while (t == 0)
        t = rd() ^ static_cast<std::uint32_t>(::getpid());
    return std::to_string(t);
}

bool TicketStillThere(const std::string& path, const std::string& ticket) {
    std::string bytes;
    try {
        win::ReadWholeFile(path, bytes);
    } catch (const win::EFileError&) {
        return false;
    }
    return ReadHandoverFile(bytes, nullptr).Ticket == ticket;
}

void ShowBadWindow(int& argc, char** argv) {
    QApplication app(argc, argv);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Brannoc"),
                    QString::fromUtf8("錯誤的視窗代碼"), QMessageBox::Ok);
    box.exec();
}

// The window's answers to restore and bring-forward requests of another
// process. A desktop that refuses the focus is no failure: the window
// asks for attention instead.
void AnswerWindowRequests(TkvMainForm* form) {
    win::TWindowStateHandler h;
    h.Show = [form](int cmd) {
        if (cmd == win::SW_RESTORE || cmd == win::SW_SHOWNORMAL || cmd == win::SW_SHOW)
            form->BringForward();
        else if (cmd == win::SW_MINIMIZE || cmd == win::SW_SHOWMINIMIZED)
            form->showMinimized();
        return true;
    };
    h.SetForeground = [form] {
        form->BringForward();
        return true;
    };
    h.IsIconic = [form] { return form->isMinimized(); };
    win::SetWindowStateHandler(form->Handle(), std::move(h));
}

} // namespace

int HandOver(const TArguments& args, win::HWND running, const std::string& tempFolder) {
    THandover h = HandoverFromArguments(args);
    std::string path = tempFolder + "KVpass";
    THandoverLock lock(path + ".lock");
    h.Ticket = NewTicket();
    bool written = false;
    try {
        // The temp folder may hold a link planted before it was made
        // private: the link is replaced, never written through.
        win::WriteTempFileAtomic(path, HandoverFileText(h));
        written = true;
    } catch (const win::EFileError&) {
    }
    bool posted = false;
    if (written && !h.Host.empty())
        posted = win::PostMessage(running, WM_REMOTE_CONNECT, std::stoul(h.Ticket), 0);
    bool answered = win::IsIconic(running) ? win::ShowWindow(running, win::SW_RESTORE)
                                           : win::SetForegroundWindow(running);
    if (posted) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHandoverWaitMs);
        while (TicketStillThere(path, h.Ticket) && win::IsWindow(running) &&
               std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return answered ? 0 : 1;
}

int CheckStart(int argc, char** argv) {
    const std::string program = "BrannocPro";
    const std::vector<std::string> args = WithoutToolkitOptions({argv + 1, argv + argc});
    std::string unknown;
    switch (CheckOptions(args, &unknown)) {
    case TOptionCheck::Help:
        std::fputs(UsageText(program).c_str(), stdout);
        return 0;
    case TOptionCheck::Unknown:
        std::fprintf(stderr, "%s: unknown option \"%s\" (see %s --help)\n", program.c_str(),
                     unknown.c_str(), program.c_str());
        return 2;
    case TOptionCheck::Run:
        break;
    }
    TDisplayEnvironment env;
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], "-platform") || !std::strcmp(argv[i], "--platform"))
            env.Platform = argv[i + 1];
    if (env.Platform.empty()) env.Platform = qEnvironmentVariable("QT_QPA_PLATFORM").toStdString();
    env.Display = qEnvironmentVariable("DISPLAY").toStdString();
    env.WaylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY").toStdString();
    env.X11Opens = win::X11DisplayOpens(env.Display);
    const std::string message = NoDisplayMessage(env, program, argc > 0 && argv[0] ? argv[0] : "");
    if (message.empty()) return -1;
    std::fputs(message.c_str(), stderr);
    return 1;
}

int RunTerminal(int argc, char** argv) {
    // The arguments as the bytes the process was given, before Qt decodes
    // them: a Big5 alias stays as it is, one the desktop handed over in
    // UTF-8 becomes Big5. The toolkit's own options are its, not a host or
    // a port.
    std::vector<std::string> raw = WithoutToolkitOptions({argv + 1, argv + argc});
    for (std::string& a : raw)
        a = ArgumentToBig5(a);
    TArguments args = FirstThree(raw);
    std::optional<win::TWindowClassLock> classLock;
    classLock.emplace(MainFormClassName);
    if (IsHandover(args)) {
        if (win::HWND running = win::FindWindow(MainFormClassName)) {
            classLock.reset();
            int rc = HandOver(args, running, win::GetTempFolder());
            if (rc != 0) ShowBadWindow(argc, argv);
            return rc;
        }
    }

    net::TCustomSyncSocket::ApplicationTerminated = [] { return gClosingDown.load(); };
    TkvMainForm* form = nullptr;
    bool closeRequested = false;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(ApplicationTitle));
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] { gClosingDown = true; });
    win::InstallQtMessageLoop();
    win::InstallWriteErrorBox();
    // A signal or a log-out closes the window as the user would; one that
    // comes while a start-up question is open ends that question and the
    // start (the close handler then saves what was read). Installed before
    // the window can be found, so whoever finds it can also end it.
    win::CloseOnSignals([&form, &closeRequested] {
        closeRequested = true;
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        if (form && form->isVisible()) form->close();
        QCoreApplication::exit(0);
    });
    // Findable before FormCreate, which may ask the user something: the
    // start lock is not held across a question.
    form = new TkvMainForm(raw, nullptr, nullptr, false);
    win::SetWindowClassName(form->Handle(), MainFormClassName);
    AnswerWindowRequests(form);
    classLock.reset();
    form->FormCreate();
    // A signal that came while the settings were read ends the start here,
    // before the next file is read and before the window shows.
    if (win::CloseSignalPending()) closeRequested = true;
    // The address book after the main window (it reads Directory.ini and
    // Keys.ini when it is created).
    if (!closeRequested) EnsureDirectoryDlg(*form);
    if (win::CloseSignalPending()) closeRequested = true;
    int rc = 0;
    if (!closeRequested) {
        form->show();
        rc = app.exec();
    }
    gClosingDown = true;
    form->FormClose(); // a quit without a close still saves once
    delete form;
    return rc;
}
