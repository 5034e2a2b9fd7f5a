// Starting other programs by argument vector.
//
// The program gets exactly the arguments given (no shell ever sees them), its
// own session (it outlives the caller and its terminal), the caller's
// environment with default signal handling, and no descriptors of the caller
// beyond standard input, output and error. The working folder changes for
// the child only. A child not waited for is reaped in the background, so
// none is left as a zombie.
#pragma once
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace win {

struct TSpawnOptions {
    std::string Folder; // the child's working folder; empty: the caller's
    bool Wait = false;  // wait for the child to end
    // Without Wait: called on the reaping thread once the child has ended
    // and been reaped, with its exit code (-1 when it died by a signal).
    std::function<void(int exitStatus)> OnExit;
};

struct TSpawnResult {
    int Error = 0;            // errno of a failed start (ENOENT: no such program), 0 when started
    pid_t Pid = -1;           // the child, when started
    int ExitStatus = -1;      // with Wait: its exit code (-1 when it died by a signal)
    bool FolderError = false; // Error is about Folder: nothing was started
};

// argv[0] is the program: a path (relative ones from the child's folder),
// or a name looked up on PATH.
TSpawnResult SpawnProcess(const std::vector<std::string>& argv, const TSpawnOptions& options = {});

// The program a bare name resolves to on PATH ("" when none); a name with a
// "/" is returned when it is an executable file.
std::string FindProgramOnPath(const std::string& name);

} // namespace win
