// Entry point of the terminal program.
#include "session/Startup.h"

int main(int argc, char** argv) {
    return RunTerminal(argc, argv);
}
