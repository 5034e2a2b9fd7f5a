// The toolbar family's message texts (raised with EInvalidOperation when a
// dock, tool window or separator is put where it cannot live).
#pragma once

extern const char* const STRDockParentNotAllowed;
extern const char* const STRDockCannotChangePosition;
extern const char* const STRToolWindowParentNotAllowed;
extern const char* const STRToolbarSepParentNotAllowed;
