// Entry point of the terminal program.
#include "controls/DockCmn.h"
#include "session/Startup.h"

int main(int argc, char** argv) {
    if (int rc = CheckStart(argc, argv); rc >= 0) return rc;
    PreferX11Platform(argc, argv);
    return RunTerminal(argc, argv);
}
