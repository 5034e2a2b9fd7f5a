// Start of the terminal program as a user meets it: from starting the
// process to its main window's first show, over repeated real starts in a
// home of their own (offscreen unless a display is given).
//
// The first show is seen from outside: as soon as the window can be found,
// a second start hands a request over; the window takes requests only once
// it has been shown, and the second start ends when its request was taken.
// The time to that end is an upper bound of start-to-first-show (the
// hand-over itself adds a few milliseconds). The request names a loopback
// port nothing is expected to listen on. The start is also timed with one
// big settings file (address book, key maps, host history).
#include "platform/core/IniFile.h"
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

// Starts the program, times it to its first show, and ends it as the
// desktop does.
void TimeStarts(benchmark::State& state, const std::string& program) {
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

void BM_StartToFirstShow(benchmark::State& state) {
    const std::string program = Program();
    // The offer answered, a loopback history.
    std::ofstream(Home() + "/prog/Brannoc.ini", std::ios::trunc)
        << "[Windows]\r\nAsk=1\r\n[Hosts]\r\nh0=127.0.0.1\r\n";
    TimeStarts(state, program);
}
BENCHMARK(BM_StartToFirstShow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// The file reading alone: parsing an address book of n sites and reading
// every key of every site, as the book's loader does.
void BM_ReadEveryKeyOfABook(benchmark::State& state) {
    std::string bytes;
    for (int i = 0; i < state.range(0); ++i)
        bytes += "[site" + std::to_string(i) +
                 "]\r\nHostname=127.0.0.1\r\nPort=23\r\nKeyType=Vt100\r\nLogin=0\r\n";
    for (auto _ : state) {
        win::TIniText text(bytes);
        std::size_t found = 0;
        for (const std::string& site : text.Sections())
            for (const char* key : {"Hostname", "Port", "KeyType", "Login", "Row", "Column"})
                found += text.Find(site, key, nullptr);
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_ReadEveryKeyOfABook)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The same start with one big settings file: an address book of n sites
// (kind 0), a key-map file of n maps (1), or a host history of n keys (2).
void BM_StartWithBigFile(benchmark::State& state) {
    const std::string program = Program();
    const int kind = static_cast<int>(state.range(0));
    const int n = static_cast<int>(state.range(1));
    const std::string dir = Home() + "/prog/";
    std::string settings = "[Windows]\r\nAsk=1\r\n[Hosts]\r\nh0=127.0.0.1\r\n";
    std::string big;
    for (int i = 0; i < n; ++i) {
        const std::string k = std::to_string(i);
        if (kind == 0)
            big += "[site" + k + "]\r\nHostname=127.0.0." + std::to_string(1 + i % 250) +
                   "\r\nPort=23\r\nKeyType=map" + k + "\r\nLogin=0\r\n\r\n";
        else if (kind == 1)
            big += "[map" + k + "]\r\n072-0001(Up)=^[[A\r\n080-0001(Down)=^[[B\r\n\r\n";
        else
            settings +=
                "h" + std::to_string(i + 1) + "=127.0.0." + std::to_string(1 + i % 250) + "\r\n";
    }
    std::ofstream(dir + "Brannoc.ini", std::ios::trunc) << settings;
    const std::string file = kind == 0 ? "Directory.ini" : "Keys.ini";
    if (kind != 2) std::ofstream(dir + file, std::ios::trunc) << big;
    TimeStarts(state, program);
    std::filesystem::remove(dir + "Directory.ini");
    std::filesystem::remove(dir + "Keys.ini");
    state.SetLabel(kind == 0 ? "sites" : kind == 1 ? "key maps" : "hosts");
}
BENCHMARK(BM_StartWithBigFile)
    ->Args({0, 1000})
    ->Args({0, 10000})
    ->Args({1, 20000})
    ->Args({2, 100000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
