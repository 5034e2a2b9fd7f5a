// Commands whose bodies are not written yet. Each owner moves its
// functions into its own file (kvMainFormSessions.cpp, kvMainFormConnect.cpp,
// kvMainFormDesktop.cpp, kvMainFormKeys.cpp, ...) and deletes them here.
#include "session/kvMainForm.h"

// ---- Sessions and connecting (sessions files) ------------------------------



// ---- Screens: edit, save, print, find, trace, scripts, speed keys, line input ---


// ---- Window layout and backgrounds -----------------------------------------

void TkvMainForm::CLFormBackColorClick(QObject*) {}

void TkvMainForm::CLFormFontColorClick(QObject*) {}

