#include "controls/DockCnst.h"

const char* const STRDockParentNotAllowed =
    "A TDock control cannot be placed inside a tool window or another TDock";
const char* const STRDockCannotChangePosition =
    "Cannot change Position of a TDock if it already contains controls";
const char* const STRToolWindowParentNotAllowed =
    "A tool window can only be placed on a TDock or directly on the form";
const char* const STRToolbarSepParentNotAllowed = "TToolbarSep can only be placed on a TToolbar";
