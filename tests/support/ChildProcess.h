// Test helpers for peers on loopback, shared by every test folder
// (header-only): a free port on 127.0.0.1, waiting for a listener, finding
// a program, a program run in its own process group for the length of a
// test, and a command run to its end with its output captured.
#pragma once
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace testpeer {

inline sockaddr_in LoopbackAddress(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// A free TCP port on 127.0.0.1 (bound and released at once).
inline std::uint16_t FreePort() {
    int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = LoopbackAddress(0);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

// A program started in its own process group, killed (group) on destruction.
// Its output goes to /dev/null unless BP_PEER_OUTPUT is set.
class TChildProcess {
public:
    explicit TChildProcess(const std::vector<std::string>& argv) {
        if (argv.empty()) return;
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            setpgid(0, 0);
            int devnull = open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                dup2(devnull, 0);
                if (!getenv("BP_PEER_OUTPUT")) {
                    dup2(devnull, 1);
                    dup2(devnull, 2);
                }
            }
            execvp(args[0], args.data());
            _exit(127);
        }
        Pid_ = pid;
        if (pid > 0) setpgid(pid, pid);
    }
    ~TChildProcess() {
        if (Pid_ <= 0) return;
        kill(-Pid_, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            if (waitpid(Pid_, nullptr, WNOHANG) == Pid_) return;
            usleep(20000);
        }
        kill(-Pid_, SIGKILL);
        waitpid(Pid_, nullptr, 0);
    }
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;
    bool Running() const { return Pid_ > 0; }
    int Pid() const { return Pid_; }

private:
    int Pid_ = -1;
};

// Waits until something accepts connections on 127.0.0.1:port.
inline bool WaitForListener(std::uint16_t port, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a = LoopbackAddress(port);
        bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        close(s);
        if (ok) return true;
        usleep(20000);
    }
    return false;
}

// True when the program can be found on PATH (or as an absolute path).
inline bool HaveProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0;
    const char* path = getenv("PATH");
    std::string p = path ? path : "/usr/bin:/bin";
    p += ":/usr/sbin:/sbin";
    std::size_t start = 0;
    while (start <= p.size()) {
        std::size_t end = p.find(':', start);
        if (end == std::string::npos) end = p.size();
        std::string file = p.substr(start, end - start) + "/" + name;
        struct stat st {};
        if (stat(file.c_str(), &st) == 0 && (st.st_mode & S_IXUSR)) return true;
        start = end + 1;
    }
    return false;
}

// Runs a shell command to its end; returns its exit status (-1 when it did
// not exit normally) with standard output and error in `out`.
inline int RunCommand(const std::string& cmd, std::string& out) {
    out.clear();
    FILE* p = ::popen((cmd + " 2>&1").c_str(), "r");
    if (!p) return -1;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    int st = ::pclose(p);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// A program built beside the tests (BP_BINARY_DIR).
inline std::string BuiltProgram(const std::string& name) {
    const char* dir = std::getenv("BP_BINARY_DIR");
    return std::string(dir ? dir : ".") + "/" + name;
}

} // namespace testpeer
