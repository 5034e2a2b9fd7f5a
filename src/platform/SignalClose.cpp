#include "platform/SignalClose.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace win {
namespace {

int gPipe[2] = {-1, -1};

// Only async-signal-safe work here: one byte into the pipe.
void OnSignal(int) {
    char b = 1;
    [[maybe_unused]] ssize_t n = ::write(gPipe[1], &b, 1);
}

} // namespace

void CloseOnSignals(std::function<void()> onClose) {
    if (gPipe[0] >= 0 || !qApp) return;
    if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [onClose] {
        char buf[64];
        while (::read(gPipe[0], buf, sizeof buf) > 0) {
        }
        onClose();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
    // Log-out: the session manager asks the program to save its data first.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QObject::connect(app, &QGuiApplication::commitDataRequest, app,
                         [onClose](QSessionManager&) { onClose(); });
}

bool CloseSignalPending() {
    if (gPipe[0] < 0) return false;
    pollfd p{gPipe[0], POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

} // namespace win
