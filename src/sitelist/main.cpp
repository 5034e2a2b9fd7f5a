// Quillon: the site-list program.
#include "controls/DockCmn.h"
#include "sitelist/QuillonStart.h"

int main(int argc, char** argv) {
    PreferX11Platform(argc, argv);
    return RunQuillon(argc, argv);
}
