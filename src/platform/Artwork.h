// The programs' pictures: their own icons, the toolbar pictures, and the
// program icon made findable by name for the desktop entries they write.
//
// Toolbar pictures go by freedesktop icon names. The desktop's icon theme
// comes first; where the desktop names none (a bare X session, the
// offscreen platform) Debian's default theme, Adwaita, is used when it is
// installed. Names no theme has ("bp-...") are our own pictures, compiled
// in under :/icons/.
#pragma once
#include <QIcon>
#include <QString>

#include <string>

namespace win {

// The picture for a toolbar button; null when neither a theme nor our own
// pictures have one of that name.
QIcon ToolbarIcon(const QString& name);

// A program's own icon: "brannocpro" or "quillon".
QIcon ProgramIcon(const QString& name);

// The name to write as a desktop entry's Icon=. When no icon folder of the
// desktop (XDG_DATA_HOME, XDG_DATA_DIRS) holds the program's icon, as
// before `cmake --install`, it is copied into the user's own
// ($XDG_DATA_HOME/icons/hicolor/scalable/apps/). A copy that cannot be
// written leaves the entry with the name (the desktop then shows its own
// default picture).
std::string DesktopIconName(const std::string& name);

} // namespace win
