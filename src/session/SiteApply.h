// A session's site-dependent values between the session component and the
// site-settings engine (session/core/SiteSettings.h): read them off the
// screen and the session fields, write them back through the setters, each
// only when it changed (a font or size change relays the screen out).
#pragma once
#include "session/core/SiteSettings.h"

class TConnection;
class TDirectoryDlg;

session::TSessionSiteValues SiteValuesOf(const TConnection& s);
void ApplySiteValues(TConnection& s, const session::TSessionSiteValues& v);

// The address book as the connect sees it. With the dialog: its list, shown
// site, default site and font size; without one (no book made yet), the
// book file alone, its default site section as the default record.
session::TDirectorySnapshot DirectorySnapshot(const TDirectoryDlg* dialog,
                                              const std::string& directoryFile);
