#include "platform/QtMessageLoop.h"

#include "platform/core/Beep.h"
#include "platform/core/Messages.h"

#include <QApplication>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>

namespace win {
namespace {

// Lives in the loop's thread; drains the queue when woken and re-arms a
// single-shot timer for the next due window timer.
class TQtDispatcher : public QObject {
    Q_OBJECT
public:
    TQtDispatcher() {
        Timer.setSingleShot(true);
        Timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&Timer, &QTimer::timeout, this, [this] { Drain(); });
    }

    // Any thread. The call is queued by name, so the event that carries it
    // is made and freed inside the toolkit; what it announces waits in the
    // thread's own message queue, behind that queue's lock. (An event or a
    // functor made here would be read on the loop's thread after a hand-over
    // through the toolkit's own locks, which the thread checker cannot see.)
    void Wake() {
        if (Pending.exchange(true)) return;
        QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
    }

    // One turn: the messages queued so far. What their handlers post (a
    // socket's next read) has woken another turn, which Qt runs after the
    // input, paint and timer events that arrived meanwhile.
    Q_INVOKABLE void Drain() {
        Pending = false;
        ProcessQueuedMessages();
        int due = NextTimerDueMs();
        if (due >= 0)
            Timer.start(due);
        else
            Timer.stop();
    }

    std::atomic<bool> Pending{false};
    QTimer Timer;
};

thread_local TQtDispatcher* tDispatcher = nullptr;

} // namespace

void InstallQtMessageLoop() {
    if (tDispatcher) return;
    // Deliberately never freed: other threads may wake it at any time until
    // the process ends, so it must outlive every poster.
    auto* d = new TQtDispatcher;
    tDispatcher = d;
    SetThreadWaker([d] { d->Wake(); });
    // The bell may ring on any thread (a worker writing to a screen); the
    // desktop bell is the GUI thread's, so other threads queue it there.
    SetBeepHandler([](unsigned) {
        auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
        if (!app) return;
        if (QThread::currentThread() == app->thread())
            QApplication::beep();
        else
            QMetaObject::invokeMethod(
                app, [] { QApplication::beep(); }, Qt::QueuedConnection);
    });
    d->Wake();
}

} // namespace win

#include "QtMessageLoop.moc"
