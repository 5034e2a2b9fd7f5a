#include "platform/WriteErrorBox.h"

#include "platform/core/WriteError.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

namespace win {
namespace {

void ShowBox(const QString& text) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                          text, QMessageBox::Ok);
}

} // namespace

void InstallWriteErrorBox() {
    SetWriteErrorHandler([](const std::string& text) {
        QString message = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        auto* app = QCoreApplication::instance();
        if (!app) return;
        if (QThread::currentThread() == app->thread())
            ShowBox(message);
        else
            QMetaObject::invokeMethod(
                app, [message] { ShowBox(message); }, Qt::QueuedConnection);
    });
}

} // namespace win
