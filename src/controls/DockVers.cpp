#include "controls/DockVers.h"

const char* const DockToolbarVersionText = "Dock toolbar version 1.0";
