// TAppExec: starts another program with a list of parameters, optionally in
// a working folder and optionally waiting for it to end. Both programs use it
// (the terminal starts the site list, the browser and other tools; the site
// list starts the terminal).
//
// Every parameter reaches the program as one argument, byte for byte: there
// is no command line to split and no shell to interpret it. The working
// folder is the child's alone; the caller's folder never changes.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

class EAppExec : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// The working folder cannot be entered: nothing was started.
class EAppExecChDir : public EAppExec {
public:
    using EAppExec::EAppExec;
};
// The program could not be started.
class EAppExecWinExec : public EAppExec {
public:
    using EAppExec::EAppExec;
};

enum class TAppExecWindowState { wsNormal, wsMinimized, wsMaximized };

// The message for an ErrNo (Big5): "執行檔不存在!" for a missing program,
// the system's text for other errors, "" for -1 and 0.
std::string AppExecErrorText(int errNo);

class TAppExec {
public:
    // ErrNo := -1; ExeName, ExePath and ExeParams emptied.
    void Clear();
    // Starts ExeName with ExeParams; raises EAppExecChDir or EAppExecWinExec.
    void Execute();

    std::string ExeName;
    std::vector<std::string> ExeParams;
    bool ChangeDir = true;
    bool Wait = false;
    // Kept for callers; a started program's window state is its own business.
    TAppExecWindowState WindowState = TAppExecWindowState::wsNormal;

    // One trailing "/" is dropped, except from "/" itself.
    void SetExePath(const std::string& path);
    const std::string& ExePath() const { return ExePath_; }
    // -1 before any start, 0 after a waited start, else the error of the last
    // failed start; a start not waited for leaves it as it was.
    int ErrNo() const { return ErrNo_; }

private:
    std::string ExePath_;
    int ErrNo_ = -1;
};
