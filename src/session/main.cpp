// Entry point of the terminal program.
#include "controls/DockCmn.h"
#include "session/Startup.h"

int main(int argc, char** argv) {
    PreferX11Platform(argc, argv);
    return RunTerminal(argc, argv);
}
