#include "sitelist/core/SiteFile.h"

#include "platform/core/Files.h"

namespace sitelist {

std::string WriteErrorMessage(const std::string& path) {
    return "無法寫入 " + path + "!";
}

std::string TSiteFile::ReadErrorText() const {
    return "無法讀取 " + FPath + "!";
}

TSiteFile::TLoad TSiteFile::Load(TSiteList& list) {
    // Copies that saves killed half-way left beside the list go first.
    win::RemoveStaleTemporaries(FPath);
    win::RemoveStaleTemporaries(BackupPath());
    std::string bytes;
    try {
        FState = win::ReadWholeFile(FPath, bytes) ? TLoad::Loaded : TLoad::Missing;
    } catch (const win::EFileError&) {
        FState = TLoad::Unreadable;
        bytes.clear();
    }
    list.Assign(bytes);
    return FState;
}

std::string TSiteFile::Save(TSiteList& list) {
    if (FState == TLoad::Unreadable) return ReadErrorText();
    std::string old;
    bool exists = false;
    try {
        exists = win::ReadWholeFile(FPath, old);
    } catch (const win::EFileError&) {
        return ReadErrorText();
    }
    try {
        if (exists) win::WriteFileAtomic(BackupPath(), old);
    } catch (const win::EFileError&) {
        return WriteErrorMessage(BackupPath());
    }
    try {
        win::WriteFileAtomic(FPath, list.Text());
    } catch (const win::EFileError&) {
        return WriteErrorMessage(FPath);
    }
    FState = TLoad::Loaded;
    list.Modified = false;
    return {};
}

} // namespace sitelist
