// Quillon: the site-list program.
#include "sitelist/QuillonStart.h"

int main(int argc, char** argv) {
    return RunQuillon(argc, argv);
}
