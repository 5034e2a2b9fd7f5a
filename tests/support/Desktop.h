// The desktop tier: the real programs on an X display of their own (Xvfb,
// numbered by the server itself) under a real window manager (openbox),
// driven by X input (xdotool) the way a person drives them, and looked at
// the way a person looks: window frames and places, the active window,
// pixels of the screen. Each test has its own display and its own sandbox
// home, so several run at once. Header-only.
#pragma once
#include "ChildProcess.h"
#include "PeerProcess.h"
#include "RecordingPeer.h"
#include "ScriptedServer.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace desk {

using Clock = std::chrono::steady_clock;

// Polls `done` until it holds or `ms` have passed; true when it held.
inline bool WaitFor(const std::function<bool()>& done, int ms = 15000, int stepMs = 25) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (done()) return true;
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
    }
}

// Single-quotes a word for sh.
inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') q += "'\\''";
        else q += c;
    }
    return q + "'";
}

// What the desktop tier needs on this machine; empty when all is there.
inline std::string Missing() {
    std::string missing;
    for (const char* p : {"Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "xwd", "wmctrl"})
        if (!testpeer::HaveProgram(p)) missing += std::string(missing.empty() ? "" : ", ") + p;
    return missing;
}

// A frame or client rectangle in root coordinates.
struct TRect {
    int X = 0, Y = 0, W = 0, H = 0;
    int Right() const { return X + W; }
    int Bottom() const { return Y + H; }
    bool Inside(const TRect& outer) const {
        return X >= outer.X && Y >= outer.Y && Right() <= outer.Right() &&
               Bottom() <= outer.Bottom();
    }
    bool operator==(const TRect&) const = default;
};
inline std::ostream& operator<<(std::ostream& o, const TRect& r) {
    return o << r.W << "x" << r.H << "+" << r.X << "+" << r.Y;
}

// A picture of the whole screen: 0xRRGGBB per pixel.
struct TShot {
    int W = 0, H = 0;
    std::vector<std::uint32_t> Pixels;
    std::uint32_t At(int x, int y) const {
        return x < 0 || y < 0 || x >= W || y >= H ? 0 : Pixels[std::size_t(y) * W + x];
    }
    // Writes a binary PPM (any viewer or `pnmtopng` reads it).
    bool SavePpm(const std::string& path) const {
        std::ofstream f(path, std::ios::binary);
        f << "P6\n" << W << " " << H << "\n255\n";
        for (std::uint32_t p : Pixels) {
            char rgb[3] = {char(p >> 16), char(p >> 8), char(p)};
            f.write(rgb, 3);
        }
        return bool(f);
    }
};

// A test's private home: HOME, the XDG folders, the runtime folder and
// TMPDIR under one temporary folder, removed at the end. Programs started
// through a TDisplay get these in their environment; this process's own
// environment is left alone.
class TSandbox {
public:
    TSandbox() {
        std::string base = std::filesystem::temp_directory_path().string() + "/bp-desk-XXXXXX";
        if (!::mkdtemp(base.data())) return;
        Root_ = base;
        for (const char* sub : {"home", "config", "data", "cache", "runtime", "tmp", "bin"})
            std::filesystem::create_directories(Root_ + "/" + sub);
        std::filesystem::permissions(Root_ + "/runtime", std::filesystem::perms::owner_all);
    }
    ~TSandbox() {
        std::error_code ec;
        if (!Root_.empty() && !std::getenv("BP_KEEP_SANDBOX")) std::filesystem::remove_all(Root_, ec);
    }
    TSandbox(const TSandbox&) = delete;
    TSandbox& operator=(const TSandbox&) = delete;

    const std::string& Root() const { return Root_; }
    std::string Path(const std::string& rel) const { return Root_ + "/" + rel; }
    // The folder the programs are copied into ("bin/").
    std::string Bin() const { return Root_ + "/bin/"; }

    std::vector<std::string> Environment() const {
        return {"HOME=" + Root_ + "/home",
                "XDG_CONFIG_HOME=" + Root_ + "/config",
                "XDG_DATA_HOME=" + Root_ + "/data",
                "XDG_CACHE_HOME=" + Root_ + "/cache",
                "XDG_RUNTIME_DIR=" + Root_ + "/runtime",
                "TMPDIR=" + Root_ + "/tmp",
                "XDG_CONFIG_DIRS=/etc/xdg",
                "XDG_DATA_DIRS=/usr/share"};
    }

    // Copies a program built beside the tests into bin/; its path.
    std::string CopyProgram(const std::string& name) const {
        std::string to = Bin() + name;
        std::error_code ec;
        std::filesystem::copy_file(testpeer::BuiltProgram(name), to,
                                   std::filesystem::copy_options::overwrite_existing, ec);
        return ec ? std::string() : to;
    }

    void Write(const std::string& rel, const std::string& bytes) const {
        std::filesystem::create_directories(std::filesystem::path(Path(rel)).parent_path());
        std::ofstream(Path(rel), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& rel) const {
        std::ifstream f(Path(rel), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }

private:
    std::string Root_;
};

// An X display of the test's own: Xvfb (display number chosen by the
// server) with openbox on it. Stopped, with everything on it, at the end.
class TDisplay {
public:
    explicit TDisplay(const TSandbox& sandbox, int width = 1280, int height = 1024,
                      bool windowManager = true)
        : Sandbox_(sandbox), Width_(width), Height_(height) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return;
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        std::vector<std::string> argv = {"Xvfb", "-displayfd", std::to_string(fds[1]),
                                         "-screen", "0", screen, "-nolisten", "tcp",
                                         "-noreset", "-nocursor"};
        XvfbPid_ = Spawn(argv, {}, fds[1]);
        ::close(fds[1]);
        std::string number;
        auto end = Clock::now() + std::chrono::seconds(20);
        while (number.find('\n') == std::string::npos && Clock::now() < end) {
            pollfd p{fds[0], POLLIN, 0};
            if (::poll(&p, 1, 200) <= 0) continue;
            char c[16];
            ssize_t n = ::read(fds[0], c, sizeof c);
            if (n <= 0) break;
            number.append(c, std::size_t(n));
        }
        ::close(fds[0]);
        if (number.find('\n') == std::string::npos) return;
        Name_ = ":" + number.substr(0, number.find('\n'));
        if (windowManager) {
            WmPid_ = Spawn({"openbox", "--sm-disable"}, Environment(), -1);
            // Ready once the manager has announced itself on the root window.
            if (!WaitFor([&] {
                    return Run("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") !=
                           std::string::npos;
                }, 20000))
                Name_.clear();
        }
    }
    ~TDisplay() {
        Stop(WmPid_);
        Stop(XvfbPid_);
    }
    TDisplay(const TDisplay&) = delete;
    TDisplay& operator=(const TDisplay&) = delete;

    bool Ok() const { return !Name_.empty(); }
    const std::string& Name() const { return Name_; }
    int Width() const { return Width_; }
    int Height() const { return Height_; }
    TRect Screen() const { return {0, 0, Width_, Height_}; }

    // The sandbox's environment with this display, the xcb platform, a
    // UTF-8 locale as a desktop session has (in the C locale the toolkit
    // writes a Chinese title's legacy WM_NAME as Latin-1 bytes, and a
    // search by title misses it) and a quiet desktop (no accessibility
    // bus, no session bus).
    std::vector<std::string> Environment() const {
        std::vector<std::string> env = Sandbox_.Environment();
        env.push_back("DISPLAY=" + Name_);
        env.push_back("LC_ALL=C.UTF-8");
        env.push_back("QT_QPA_PLATFORM=xcb");
        env.push_back("NO_AT_BRIDGE=1");
        env.push_back("QT_ACCESSIBILITY=0");
        env.push_back("DBUS_SESSION_BUS_ADDRESS=disabled:");
        env.push_back("XAUTHORITY=");
        return env;
    }

    // Runs a shell command against this display; its standard output.
    // The X tools run in a UTF-8 locale whatever the caller's: window
    // titles are Chinese, and in the C locale xdotool and xprop cannot
    // convert them, so a search by title finds nothing.
    std::string Run(const std::string& cmd, int* status = nullptr) const {
        std::string out;
        int rc = testpeer::RunCommand("LC_ALL=C.UTF-8 DISPLAY=" + Name_ + " " + cmd, out);
        if (status) *status = rc;
        return out;
    }

    // ---- windows ---------------------------------------------------------
    // Visible top-level client windows of a process, newest last.
    std::vector<std::string> Windows(pid_t pid, const std::string& nameRegex = "") const {
        // --all: the process's windows whose title matches, not either.
        std::string cmd = "xdotool search --all --onlyvisible --pid " + std::to_string(pid);
        if (!nameRegex.empty()) cmd += " --name " + Quote(nameRegex);
        std::vector<std::string> ids;
        std::istringstream lines(Run(cmd + " 2>/dev/null"));
        for (std::string l; std::getline(lines, l);)
            if (!l.empty() && l.find_first_not_of("0123456789") == std::string::npos)
                ids.push_back(l);
        return ids;
    }
    // Waits for a visible window of the process whose title matches.
    std::string WaitWindow(pid_t pid, const std::string& nameRegex = "", int ms = 20000) const {
        std::string id;
        WaitFor([&] {
            auto w = Windows(pid, nameRegex);
            if (w.empty()) return false;
            id = w.front();
            return true;
        }, ms, 50);
        return id;
    }
    std::string Title(const std::string& id) const {
        std::string t = Run("xdotool getwindowname " + id);
        while (!t.empty() && (t.back() == '\n' || t.back() == '\r'))
            t.pop_back();
        return t;
    }
    // The client area in root coordinates.
    TRect Client(const std::string& id) const {
        std::string out = Run("xwininfo -id " + id);
        TRect r;
        r.X = Field(out, "Absolute upper-left X:");
        r.Y = Field(out, "Absolute upper-left Y:");
        r.W = Field(out, "Width:");
        r.H = Field(out, "Height:");
        return r;
    }
    // The frame the window manager put around the window: left, right, top, bottom.
    std::vector<int> FrameExtents(const std::string& id) const {
        std::string out = Run("xprop -id " + id + " _NET_FRAME_EXTENTS");
        std::vector<int> v;
        auto eq = out.find('=');
        if (eq == std::string::npos) return {0, 0, 0, 0};
        std::istringstream in(out.substr(eq + 1));
        for (std::string n; std::getline(in, n, ',');)
            v.push_back(std::atoi(n.c_str()));
        v.resize(4, 0);
        return v;
    }
    // The whole window, frame included, in root coordinates.
    TRect Frame(const std::string& id) const {
        TRect c = Client(id);
        auto e = FrameExtents(id);
        return {c.X - e[0], c.Y - e[2], c.W + e[0] + e[1], c.H + e[2] + e[3]};
    }
    // Waits until the window manager has framed the window and its frame
    // stopped moving for a while; the frame then.
    TRect SettledFrame(const std::string& id, int quietMs = 400, int ms = 15000) const {
        TRect last = Frame(id);
        auto since = Clock::now();
        WaitFor([&] {
            TRect now = Frame(id);
            if (!(now == last)) last = now, since = Clock::now();
            auto e = FrameExtents(id);
            return e[2] > 0 && Clock::now() - since >= std::chrono::milliseconds(quietMs);
        }, ms, 50);
        return last;
    }
    std::string ActiveWindow() const {
        std::string a = Run("xdotool getactivewindow 2>/dev/null");
        while (!a.empty() && (a.back() == '\n')) a.pop_back();
        return a;
    }
    std::string WmState(const std::string& id) const {
        return Run("xprop -id " + id + " _NET_WM_STATE WM_STATE");
    }

    // ---- input: through the X server, as a person types and clicks -------
    void Activate(const std::string& id) const {
        Run("xdotool windowactivate --sync " + id + " 2>/dev/null");
    }
    // Key names as xdotool knows them ("ctrl+period", "Return", "alt+f").
    void Key(const std::string& keys, int delayMs = 30) const {
        Run("xdotool key --delay " + std::to_string(delayMs) + " " + keys);
    }
    void Type(const std::string& text, int delayMs = 30) const {
        Run("xdotool type --delay " + std::to_string(delayMs) + " " + Quote(text));
    }
    void Click(int x, int y, int button = 1) const {
        Run("xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y) +
            " click " + std::to_string(button));
    }
    // The pointer to a point, nothing pressed (it rests there).
    void MoveTo(int x, int y) const {
        Run("xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y));
    }
    void DoubleClick(int x, int y) const {
        Run("xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y) +
            " click --repeat 2 --delay 80 1");
    }
    // Presses at one point, moves in steps, releases at another.
    void Drag(int x0, int y0, int x1, int y1, int steps = 12) const {
        std::string cmd = "xdotool mousemove --sync " + std::to_string(x0) + " " +
                          std::to_string(y0) + " mousedown 1";
        for (int i = 1; i <= steps; ++i)
            cmd += " sleep 0.03 mousemove --sync " + std::to_string(x0 + (x1 - x0) * i / steps) +
                   " " + std::to_string(y0 + (y1 - y0) * i / steps);
        cmd += " sleep 0.1 mouseup 1";
        Run(cmd);
    }

    // ---- pixels ----------------------------------------------------------
    // The whole screen as the server shows it.
    TShot Screenshot() const { return Dump("-root"); }
    // One window's own contents (its client area), whatever lies above it.
    TShot WindowShot(const std::string& id) const { return Dump("-id " + id); }

    // ---- programs --------------------------------------------------------
    // Starts a program on this display with the sandbox's environment plus
    // `extraEnv`; it is killed at the end unless ended before.
    std::unique_ptr<TPeerProcess> Start(const std::vector<std::string>& argv,
                                        std::vector<std::string> extraEnv = {},
                                        bool captureOutput = false) {
        std::vector<std::string> env = Environment();
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        return std::make_unique<TPeerProcess>(argv, env, captureOutput);
    }

private:
    // An xwd dump of the root or one window, as 0xRRGGBB pixels. The server
    // packs pixels in 3 or 4 bytes (a root dump of a 24-bit screen may use 3).
    TShot Dump(const std::string& what) const {
        TShot shot;
        std::string path = Sandbox_.Path("tmp/shot.xwd");
        Run("xwd " + what + " -silent -out " + Quote(path));
        std::ifstream f(path, std::ios::binary);
        std::string d((std::istreambuf_iterator<char>(f)), {});
        auto be32 = [&](std::size_t at) -> std::uint32_t {
            if (at + 4 > d.size()) return 0;
            auto b = reinterpret_cast<const unsigned char*>(d.data() + at);
            return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 |
                   std::uint32_t(b[2]) << 8 | b[3];
        };
        // XWD header: 25 big-endian 32-bit words, then the window name,
        // then the colour map, then ZPixmap rows.
        const std::uint32_t headerSize = be32(0), depth = be32(12), width = be32(16),
                            height = be32(20), byteOrder = be32(28), bitsPerPixel = be32(44),
                            bytesPerLine = be32(48), ncolors = be32(76);
        if (depth < 24 || (bitsPerPixel != 32 && bitsPerPixel != 24)) return shot;
        const std::size_t bytes = bitsPerPixel / 8;
        std::size_t at = headerSize + std::size_t(ncolors) * 12;
        if (std::size_t(width) * bytes > bytesPerLine ||
            at + std::size_t(bytesPerLine) * height > d.size())
            return shot;
        shot.W = int(width), shot.H = int(height);
        shot.Pixels.resize(std::size_t(width) * height);
        for (std::uint32_t y = 0; y < height; ++y)
            for (std::uint32_t x = 0; x < width; ++x) {
                auto b = reinterpret_cast<const unsigned char*>(
                    d.data() + at + std::size_t(y) * bytesPerLine + x * bytes);
                // LSB first: blue, green, red; MSB first: (pad,) red, green, blue.
                std::uint32_t v = byteOrder == 0 ? (b[2] << 16 | b[1] << 8 | b[0])
                                  : bytes == 4   ? (b[1] << 16 | b[2] << 8 | b[3])
                                                 : (b[0] << 16 | b[1] << 8 | b[2]);
                shot.Pixels[std::size_t(y) * width + x] = v;
            }
        return shot;
    }
    static int Field(const std::string& text, const std::string& key) {
        auto at = text.find(key);
        return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + key.size());
    }
    // Starts a helper (server, window manager) in a group of its own, with
    // the sandbox's environment; `keepFd` stays open in it.
    pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extra,
                int keepFd) {
        pid_t pid = ::fork();
        if (pid == 0) {
            ::setpgid(0, 0);
            if (keepFd >= 0) ::fcntl(keepFd, F_SETFD, 0);
            int devnull = ::open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                ::dup2(devnull, 0);
                if (!std::getenv("BP_PEER_OUTPUT")) ::dup2(devnull, 1), ::dup2(devnull, 2);
            }
            for (const auto& e : Sandbox_.Environment())
                ::putenv(const_cast<char*>(e.c_str()));
            for (const auto& e : extra)
                ::putenv(const_cast<char*>(e.c_str()));
            std::vector<char*> a;
            for (const auto& s : argv)
                a.push_back(const_cast<char*>(s.c_str()));
            a.push_back(nullptr);
            ::execvp(a[0], a.data());
            ::_exit(127);
        }
        if (pid > 0) ::setpgid(pid, pid);
        return pid;
    }
    static void Stop(pid_t pid) {
        if (pid <= 0) return;
        ::kill(-pid, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
            ::usleep(20000);
        }
        ::kill(-pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }

    const TSandbox& Sandbox_;
    int Width_, Height_;
    std::string Name_;
    pid_t XvfbPid_ = -1, WmPid_ = -1;
};

using bptest::TRecordingPeer;

// The base of a desktop-tier test: a sandbox and a display with a window
// manager, ready before the test body; skipped (with what is missing) only
// where the tier's programs are not installed.
class TDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string missing = Missing();
        if (!missing.empty()) GTEST_SKIP() << "the desktop tier needs " << missing;
        ASSERT_FALSE(Box.Root().empty());
        Display = std::make_unique<TDisplay>(Box, DisplayWidth, DisplayHeight);
        ASSERT_TRUE(Display->Ok()) << "Xvfb with openbox did not start";
    }
    void TearDown() override {
        // A picture of how the screen was left when a test failed.
        if (HasFailure() && Display && Display->Ok()) {
            const char* dir = std::getenv("BP_DESKTOP_SHOTS");
            if (dir && *dir) {
                const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
                Display->Screenshot().SavePpm(std::string(dir) + "/" + info->test_suite_name() +
                                              "." + info->name() + ".ppm");
            }
        }
        Programs.clear();
        Display.reset();
    }

    // Starts a program copied into the sandbox's bin/ folder.
    TPeerProcess& StartProgram(const std::string& name, std::vector<std::string> args = {},
                               std::vector<std::string> extraEnv = {}) {
        std::string path = Box.Bin() + name;
        if (!std::filesystem::exists(path)) path = Box.CopyProgram(name);
        args.insert(args.begin(), path);
        Programs.push_back(Display->Start(args, std::move(extraEnv)));
        return *Programs.back();
    }

    int DisplayWidth = 1280, DisplayHeight = 1024;
    TSandbox Box;
    std::unique_ptr<TDisplay> Display;
    std::vector<std::unique_ptr<TPeerProcess>> Programs;
};

} // namespace desk
