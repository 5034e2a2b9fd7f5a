// Commands whose bodies are not written yet. Each owner moves its
// functions into its own file (kvMainFormSessions.cpp, kvMainFormConnect.cpp,
// kvMainFormDesktop.cpp, kvMainFormKeys.cpp, ...) and deletes them here.
#include "session/kvMainForm.h"

// ---- Sessions and connecting (sessions files) ------------------------------


void TkvMainForm::MaxConnectionClick(QObject*) {}

void TkvMainForm::MaxAllConnectionClick(QObject*) {}

void TkvMainForm::MinAllConnectionClick(QObject*) {}

void TkvMainForm::RestoreAllConnectionClick(QObject*) {}

void TkvMainForm::TileHClick(QObject*) {}

void TkvMainForm::TileVClick(QObject*) {}

void TkvMainForm::TileOClick(QObject*) {}

void TkvMainForm::MoveToLeftTopClick(QObject*) {}

void TkvMainForm::MoveToClick(QObject*) {}

// ---- Screens: edit, save, print, find, trace, scripts, speed keys, line input ---

void TkvMainForm::RunScriptClick(QObject*) {}

void TkvMainForm::MakeScriptClick(QObject*) {}

// ---- Window layout and backgrounds -----------------------------------------

void TkvMainForm::ScrollBarVisibleClick(QObject*) {}

void TkvMainForm::TransparentMenuItemClick(QObject*) {}

void TkvMainForm::PictureMenuItemClick(QObject*) {}

void TkvMainForm::CenterMenuItemClick(QObject*) {}

void TkvMainForm::LoadPictureMenuItemClick(QObject*) {}

void TkvMainForm::RearrangeClick(QObject*) {}

void TkvMainForm::CLFormBackColorClick(QObject*) {}

void TkvMainForm::CLFormFontColorClick(QObject*) {}

