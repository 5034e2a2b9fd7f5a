// Entry point of the terminal program.
#include "controls/DockCmn.h"
#include "platform/Artwork.h"
#include "platform/ToolkitTranslation.h"
#include "session/Startup.h"

#include <QGuiApplication>

namespace {

// Runs as the application object is made: the toolkit's own buttons and
// dialogs speak Chinese like the rest of the program, and every window
// carries the program's icon.
void SetUpApplication() {
    win::LoadToolkitTranslation();
    QGuiApplication::setWindowIcon(win::ProgramIcon(QStringLiteral("brannocpro")));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(SetUpApplication)

int main(int argc, char** argv) {
    if (int rc = CheckStart(argc, argv); rc >= 0) return rc;
    PreferX11Platform(argc, argv);
    return RunTerminal(argc, argv);
}
