#include "session/core/AppExecCore.h"

#include "platform/core/Big5.h"
#include "platform/core/Process.h"

#include <cerrno>
#include <cstring>

std::string AppExecErrorText(int errNo) {
    if (errNo == ENOENT) return win::Utf8ToBig5("執行檔不存在!");
    if (errNo <= 0) return {}; // no start yet, or no error
    return std::strerror(errNo);
}

void TAppExec::Clear() {
    ErrNo_ = -1;
    ExeName.clear();
    ExePath_.clear();
    ExeParams.clear();
}

void TAppExec::SetExePath(const std::string& path) {
    ExePath_ = path;
    if (ExePath_.size() > 1 && ExePath_.back() == '/') ExePath_.pop_back();
}

void TAppExec::Execute() {
    std::vector<std::string> argv;
    argv.reserve(ExeParams.size() + 1);
    argv.push_back(ExeName);
    argv.insert(argv.end(), ExeParams.begin(), ExeParams.end());
    win::TSpawnOptions options;
    if (ChangeDir) options.Folder = ExePath_;
    options.Wait = Wait;
    win::TSpawnResult r = win::SpawnProcess(argv, options);
    if (r.FolderError) {
        ErrNo_ = r.Error;
        throw EAppExecChDir(ExePath_ + ": " + std::strerror(r.Error));
    }
    if (r.Error) {
        ErrNo_ = r.Error;
        throw EAppExecWinExec(AppExecErrorText(r.Error));
    }
    if (Wait) ErrNo_ = 0;
}
