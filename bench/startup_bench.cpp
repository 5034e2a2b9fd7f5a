// Start of the terminal program as a user meets it: from starting the
// process to its main window's first show, over repeated real starts in a
// home of their own (offscreen unless a display is given).
//
// The first show is seen from outside: as soon as the window can be found,
// a second start hands a request over; the window takes requests only once
// it has been shown, and the second start ends when its request was taken.
// The time to that end is an upper bound of start-to-first-show (the
// hand-over itself adds a few milliseconds). The request names a loopback
// port nothing is expected to listen on.
#include "platform/core/WindowChannel.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::string Home() {
    static std::string home = [] {
        std::string d = std::filesystem::temp_directory_path().string() + "/startup-bench-XXXXXX";
        if (!::mkdtemp(d.data())) std::abort();
        for (const char* sub : {"config", "data", "runtime", "tmp", "prog"})
            std::filesystem::create_directories(d + "/" + sub);
        std::filesystem::permissions(d + "/runtime", std::filesystem::perms::owner_all);
        ::setenv("HOME", d.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (d + "/config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (d + "/data").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (d + "/runtime").c_str(), 1);
        ::setenv("TMPDIR", (d + "/tmp").c_str(), 1);
        if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return d;
    }();
    return home;
}

std::string Program() {
    static std::string path = [] {
        const char* dir = std::getenv("BP_BINARY_DIR");
        std::string built = std::string(dir ? dir : ".") + "/BrannocPro";
        std::string copy = Home() + "/prog/BrannocPro";
        std::filesystem::copy_file(built, copy, std::filesystem::copy_options::overwrite_existing);
        return copy;
    }();
    return path;
}

pid_t Spawn(const std::vector<std::string>& argv) {
    std::vector<char*> a;
    for (const auto& s : argv)
        a.push_back(const_cast<char*>(s.c_str()));
    a.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, a[0], &fa, nullptr, a.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    return pid;
}

void BM_StartToFirstShow(benchmark::State& state) {
    const std::string program = Program();
    // The offer answered, a loopback history.
    std::ofstream(Home() + "/prog/Brannoc.ini", std::ios::trunc)
        << "[Windows]\r\nAsk=1\r\n[Hosts]\r\nh0=127.0.0.1\r\n";
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        pid_t first = Spawn({program});
        while (!win::FindWindow("TkvMainForm"))
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        pid_t second = Spawn({program, "telnet://127.0.0.1:9"});
        int status = 0;
        ::waitpid(second, &status, 0);
        auto shown = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
        ::kill(first, SIGTERM);
        ::waitpid(first, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("unclean exit");
    }
}
BENCHMARK(BM_StartToFirstShow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
