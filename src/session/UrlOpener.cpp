#include "session/UrlOpener.h"

#include "platform/core/Process.h"
#include "session/core/DesktopEntry.h"
#include "session/core/UrlLaunch.h"

int UrlShowCommandValue(TUrlShowCmd cmd) {
    switch (cmd) {
    case TUrlShowCmd::ssHide:
        return 0;
    case TUrlShowCmd::ssMaximize:
        return 3;
    case TUrlShowCmd::ssMinimize:
        return 6;
    case TUrlShowCmd::ssRestore:
        return 9;
    case TUrlShowCmd::ssShow:
        return 5;
    case TUrlShowCmd::ssShowDefault:
        return 10;
    case TUrlShowCmd::ssShowMaximized:
        return 3;
    case TUrlShowCmd::ssShowMinimized:
        return 2;
    case TUrlShowCmd::ssShowMinNoActivate:
        return 7;
    case TUrlShowCmd::ssShowNA:
        return 8;
    case TUrlShowCmd::ssShowNoActivate:
        return 4;
    case TUrlShowCmd::ssShowNormal:
        return 1;
    }
    return 1;
}

bool TUrlOpener::Execute() {
    const std::string url = UrlForOpener(Url);
    const std::string opener = url.empty() ? std::string() : win::FindProgramOnPath("xdg-open");
    std::string exec;
    if (opener.empty())
        exec = DefaultExecFor(TXdgPaths::FromEnvironment(),
                              {"x-scheme-handler/http", "x-scheme-handler/https", "text/html"});
    std::vector<std::string> argv = UrlOpenCommand(url, opener, exec);
    if (argv.empty()) return false;
    if (win::SpawnProcess(argv).Error != 0) throw EUrlOpener("Couldn't launch default browser");
    return true;
}
