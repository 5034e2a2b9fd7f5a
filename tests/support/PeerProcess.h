// A program started by a test with extra environment, its output read line by line.
#pragma once
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// A line for the parent's ReadPeerLine, from a peer process.
inline void PeerSay(const std::string& line) {
    std::printf("@%s\n", line.c_str());
    std::fflush(stdout);
}

class TPeerProcess {
public:
    // Starts argv[0] (a path) with argv and the test's environment plus extraEnv
    // ("NAME=value" items); its standard output comes to ReadLine.
    TPeerProcess(const std::vector<std::string>& argv,
                 const std::vector<std::string>& extraEnv = {}, bool captureOutput = true) {
        int out[2] = {-1, -1};
        if (captureOutput && ::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        if (captureOutput) posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            env.emplace_back(*e);
        for (auto& x : extraEnv) {
            auto eq = x.find('=');
            std::erase_if(env, [&](const std::string& cur) {
                return cur.compare(0, eq + 1, x, 0, eq + 1) == 0;
            });
            env.push_back(x);
        }
        std::vector<char*> a, e;
        for (auto& s : argv)
            a.push_back(const_cast<char*>(s.c_str()));
        a.push_back(nullptr);
        for (auto& s : env)
            e.push_back(const_cast<char*>(s.c_str()));
        e.push_back(nullptr);
        if (posix_spawn(&Pid, a[0], &fa, nullptr, a.data(), e.data()) != 0) Pid = -1;
        posix_spawn_file_actions_destroy(&fa);
        if (captureOutput) {
            ::close(out[1]);
            Out = out[0];
        }
    }
    ~TPeerProcess() {
        Kill();
        if (Out >= 0) ::close(Out);
    }
    TPeerProcess(const TPeerProcess&) = delete;
    TPeerProcess& operator=(const TPeerProcess&) = delete;

    bool Started() const { return Pid > 0; }

    // The next line of output without its "\n"; "" at the end or after timeoutMs.
    std::string ReadLine(int timeoutMs = 10000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            auto nl = Buffer.find('\n');
            if (nl != std::string::npos) {
                std::string line = Buffer.substr(0, nl);
                Buffer.erase(0, nl + 1);
                return line;
            }
            if (Out < 0) return {};
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
            if (left <= 0) return {};
            pollfd p{Out, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
            char buf[4096];
            ssize_t n = ::read(Out, buf, sizeof buf);
            if (n <= 0) {
                ::close(Out);
                Out = -1;
                continue;
            }
            Buffer.append(buf, static_cast<std::size_t>(n));
        }
    }

    // The next line the program wrote with PeerSay (without the "@"), skipping
    // the rest of its output (a test program's own report, say).
    std::string ReadPeerLine(int timeoutMs = 10000) {
        for (;;) {
            std::string line = ReadLine(timeoutMs);
            if (line.empty() || line[0] == '@') return line.empty() ? line : line.substr(1);
        }
    }

    // Waits for the exit; the exit code, or -1 (killed, or still running after timeoutMs).
    int Wait(int timeoutMs = 10000) {
        if (Pid <= 0) return Status;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            int st = 0;
            pid_t r = ::waitpid(Pid, &st, WNOHANG);
            if (r == Pid) {
                Pid = -1;
                Status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
                return Status;
            }
            if (r < 0 && errno != EINTR) return -1;
            if (std::chrono::steady_clock::now() >= deadline) return -1;
            ::usleep(5000);
        }
    }

    void Signal(int sig) {
        if (Pid > 0) ::kill(Pid, sig);
    }
    void Kill() {
        if (Pid <= 0) return;
        ::kill(Pid, SIGKILL);
        int st = 0;
        ::waitpid(Pid, &st, 0);
        Pid = -1;
    }

    pid_t Pid = -1;
    int Out = -1;
    int Status = -1;
    std::string Buffer;
};
