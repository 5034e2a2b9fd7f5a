// Entry point of the terminal program: a full start, or a hand-over of the
// command line to the instance already running.
#include "platform/QtMessageLoop.h"
#include "platform/WriteErrorBox.h"
#include "session/DirectoryHost.h"
#include "session/kvMainForm.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The arguments as the bytes the process was given (a Big5 alias stays
    // as it is), before Qt decodes them.
    std::vector<std::string> args(argv + 1, argv + argc);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(ApplicationTitle));
    win::InstallQtMessageLoop();
    win::InstallWriteErrorBox();
    auto* form = new TkvMainForm(args);
    EnsureDirectoryDlg(*form);
    form->show();
    int rc = app.exec();
    delete form;
    return rc;
}
