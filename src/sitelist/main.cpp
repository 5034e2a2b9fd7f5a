// Quillon: the site-list program. One instance per user; a second start
// brings the first forward and ends.
#include "platform/QtMessageLoop.h"
#include "platform/core/Folders.h"
#include "session/core/MainSettings.h"
#include "sitelist/QuillonForm.h"

#include <QApplication>
#include <unistd.h>

namespace {

// Quillon.txt, its backup and Quillon.ini lie in the program's folder,
// unless that is the desktop or cannot be written: then in the data folder.
std::string DataFolder(const std::string& programFolder) {
    bool writable = !programFolder.empty() && ::access(programFolder.c_str(), W_OK | X_OK) == 0;
    return ChooseSettingsFolder(programFolder, win::GetDesktopFolder(), win::GetWindowsFolder(),
                                writable);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("站台列表");
    win::InstallQtMessageLoop();
    std::string program = win::GetProgramFolder();
    TQuillonFrm form(DataFolder(program), program, nullptr, nullptr);
    form.show();
    return app.exec();
}
