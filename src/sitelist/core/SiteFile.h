// Reading and saving Quillon.txt with its backup Quillon.txt.bak.
#pragma once
#include "sitelist/core/SiteList.h"

#include <string>

namespace sitelist {

class TSiteFile {
public:
    enum class TLoad { Missing, Loaded, Unreadable };

    // path: the site file; its backup is path + ".bak".
    explicit TSiteFile(std::string path) : FPath(std::move(path)) {}
    const std::string& Path() const { return FPath; }
    std::string BackupPath() const { return FPath + ".bak"; }

    // Loads the file into the list. A missing file gives an empty list; a
    // file that exists but cannot be read whole leaves the list empty and
    // is never replaced in this run. Temporary copies that killed saves of
    // the file or its backup left are removed.
    TLoad Load(TSiteList& list);
    TLoad State() const { return FState; }
    // "無法讀取 " + path + "!" (UTF-8).
    std::string ReadErrorText() const;

    // Copies the file on disk to the backup (when there is one), then writes
    // the list; each write atomic. Empty result on success, else the error
    // message naming the file that failed (nothing after it is written).
    // Modified is cleared on success.
    std::string Save(TSiteList& list);

private:
    std::string FPath;
    TLoad FState = TLoad::Missing;
};

// "無法寫入 " + path + "!" (UTF-8).
std::string WriteErrorMessage(const std::string& path);

} // namespace sitelist
