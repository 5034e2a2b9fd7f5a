// Key maps on the main window: a session's key table loaded from Keys.ini
// when it takes its site settings, and the keyboard-map editor command.
#include "session/kvMainForm.h"

#include "dialogs/DirectoryDialog.h"
#include "dialogs/KeyBoardDialog.h"
#include "session/Connection.h"
#include "session/DirectoryHost.h"
#include "session/core/KeyMapBuilder.h"
#include "session/core/KeysFile.h"
#include "session/core/ProfileEdit.h"

void TkvMainForm::LoadKeyMap(TConnection* s) {
    if (!s) return;
    // Read only; a missing or unreadable file is a map without keys.
    const win::TIniText keys = session::ReadProfile(SettingsDir + "Keys.ini");
    const auto pairs = session::ReadKeyMap(keys, s->KeyType);
    // A missing or empty section leaves the table as it was.
    if (pairs.empty()) return;
    // Keys past the 64th are ignored here without a word (the editor warns).
    session::BuildKeyTable(pairs, s->KeyTable);
}

void TkvMainForm::KeyboardMappingClick(QObject*) {
    TDirectoryDlg* book = EnsureDirectoryDlg(*this);
    // The map of the current session's site, else the one the book shows.
    std::string map = book->ShownSite().KeyType;
    if (CurrentSession >= 0 && CurrentSession < static_cast<int>(Sessions.size()))
        map = book->KeyMapOf(Sessions[static_cast<std::size_t>(CurrentSession)]->SiteName);
    auto* dlg =
        new TKeyBoardDlg(EnsureDirectoryHost(*this), book->KeysFileName(), map, TempDir, this);
    dlg->exec();
    delete dlg;
    DefaultFocus(LineLocked());
}
