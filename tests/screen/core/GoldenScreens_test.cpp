// Golden screens: each tests/fixtures/golden/NAME.ans is fed through a fresh
// emulator and must dump exactly as NAME.dump (options in NAME.args). The
// same bytes fed in one piece or in random pieces must give the same dump,
// and the screendump tool must print it byte for byte.
#include "screen/core/ScreenDump.h"
#include "screen/core/VtInterpreter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

fs::path FixtureDir() {
    return fs::path(Env("BP_FIXTURES")) / "golden";
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TOptions {
    int Rows = 0, Columns = 0;
    bool AutoWrap = false, History = false;
    std::string Text; // the options as written, for the tool's command line
};

TOptions ReadOptions(const fs::path& ans) {
    TOptions o;
    fs::path args = ans;
    args.replace_extension(".args");
    if (!fs::exists(args)) return o;
    o.Text = ReadFile(args);
    std::replace(o.Text.begin(), o.Text.end(), '\n', ' ');
    std::istringstream in(o.Text);
    std::string word;
    while (in >> word) {
        if (word == "--rows")
            in >> o.Rows;
        else if (word == "--columns")
            in >> o.Columns;
        else if (word == "--autowrap")
            o.AutoWrap = true;
        else if (word == "--history")
            o.History = true;
        else
            ADD_FAILURE() << "unknown option " << word << " in " << args;
    }
    return o;
}

struct TEmulator {
    TScreenBuffer Screen;
    TVtInterpreter Vt{Screen};
    explicit TEmulator(const TOptions& o) {
        if (o.Columns) Screen.SetColumns(o.Columns);
        if (o.Rows) Screen.SetRows(o.Rows);
        if (o.AutoWrap) Screen.AutoWrap = true;
    }
};

std::vector<fs::path> Fixtures() {
    std::vector<fs::path> out;
    if (fs::is_directory(FixtureDir()))
        for (const auto& e : fs::directory_iterator(FixtureDir()))
            if (e.path().extension() == ".ans") out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(GoldenScreens, FixturesArePresent) {
    EXPECT_GE(Fixtures().size(), 10u) << "in " << FixtureDir();
}

TEST(GoldenScreens, ByteByByteMatchesTheExpectedDump) {
    for (const fs::path& ans : Fixtures()) {
        SCOPED_TRACE(ans.filename().string());
        const TOptions o = ReadOptions(ans);
        const std::string bytes = ReadFile(ans);
        TEmulator e(o);
        for (unsigned char c : bytes)
            e.Vt.ProcessChar(c);
        fs::path dump = ans;
        dump.replace_extension(".dump");
        EXPECT_EQ(DumpScreen(e.Screen, o.History), ReadFile(dump));
    }
}

TEST(GoldenScreens, PiecesOfAnySizeGiveTheSameScreen) {
    for (const fs::path& ans : Fixtures()) {
        SCOPED_TRACE(ans.filename().string());
        const TOptions o = ReadOptions(ans);
        const std::string bytes = ReadFile(ans);
        TEmulator ref(o);
        for (unsigned char c : bytes)
            ref.Vt.ProcessChar(c);
        const std::string expected = DumpScreen(ref.Screen, true);

        TEmulator whole(o);
        whole.Vt.ProcessBuffer(bytes);
        EXPECT_EQ(DumpScreen(whole.Screen, true), expected);
        for (unsigned seed = 1; seed <= 5; ++seed) {
            std::mt19937 rng(seed);
            TEmulator split(o);
            for (std::size_t at = 0; at < bytes.size();) {
                const std::size_t n = std::min<std::size_t>(1 + rng() % 40, bytes.size() - at);
                split.Vt.ProcessBuffer(std::string_view(bytes).substr(at, n));
                at += n;
            }
            EXPECT_EQ(DumpScreen(split.Screen, true), expected) << "seed " << seed;
        }
    }
}

TEST(GoldenScreens, DumpToolPrintsTheSameBytes) {
    const fs::path tool = fs::path(Env("BP_BINARY_DIR")) / "screendump";
    if (!fs::exists(tool)) GTEST_SKIP() << "no " << tool;
    for (const fs::path& ans : Fixtures()) {
        SCOPED_TRACE(ans.filename().string());
        const TOptions o = ReadOptions(ans);
        for (const std::string extra : {"", " --split-random 7"}) {
            std::ostringstream cmd;
            cmd << '\'' << tool.string() << "' " << o.Text << extra << " '" << ans.string() << '\'';
            std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.str().c_str(), "r"), pclose);
            ASSERT_TRUE(pipe);
            std::string out;
            char buf[4096];
            for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe.get())) > 0;)
                out.append(buf, n);
            fs::path dump = ans;
            dump.replace_extension(".dump");
            EXPECT_EQ(out, ReadFile(dump)) << cmd.str();
        }
    }
}

TEST(GoldenScreens, DumpToolRejectsBadCommandLines) {
    const fs::path tool = fs::path(Env("BP_BINARY_DIR")) / "screendump";
    if (!fs::exists(tool)) GTEST_SKIP() << "no " << tool;
    for (const std::string args : {"", "--rows", "--rows x f", "--bogus f", "/nonexistent/file"}) {
        std::ostringstream cmd;
        cmd << '\'' << tool.string() << "' " << args << " >/dev/null 2>&1";
        const int rc = std::system(cmd.str().c_str());
        EXPECT_NE(rc, 0) << args;
    }
}
