// A TCP server on 127.0.0.1 for the tests: listens on a free port and runs a
// script for each connection it accepts, on a thread of its own. The script
// talks to the peer with the blocking helpers below. Header-only, so any
// test folder can use it.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace bptest {

class TScriptedServer {
public:
    using TScript = std::function<void(int fd, int index)>;

    // Starts listening; Script runs for connection 0, 1, 2, ... in turn, or
    // (concurrent) each on a thread of its own, so peers can stay connected
    // side by side.
    explicit TScriptedServer(TScript script, bool concurrent = false);
    ~TScriptedServer();
    TScriptedServer(const TScriptedServer&) = delete;
    TScriptedServer& operator=(const TScriptedServer&) = delete;

    int Port() const { return FPort; }
    std::string PortStr() const { return std::to_string(FPort); }
    int Accepted() const { return FAccepted.load(); }
    // True once the script of every accepted connection has returned.
    bool Idle() const { return FDone.load() == FAccepted.load(); }

private:
    void Run();
    void Serve(int fd, int index);
    TScript FScript;
    bool FConcurrent = false;
    std::vector<std::thread> FPeers;
    int FListen = -1;
    int FStop[2] = {-1, -1};
    int FPort = 0;
    std::atomic<int> FAccepted{0};
    std::atomic<int> FDone{0};
    std::thread FThread;
};

// Blocking helpers for scripts; each gives up after timeoutMs.
inline bool SendAll(int fd, const std::string& bytes);
// Reads until `pattern` was seen (the bytes read so far are returned through
// `got`); false on timeout or end of stream.
inline bool ReadUntil(int fd, const std::string& pattern, std::string& got, int timeoutMs = 5000);
// Reads exactly n bytes.
inline bool ReadExactly(int fd, std::size_t n, std::string& got, int timeoutMs = 5000);
// Reads until the peer closes; returns what came.
inline std::string ReadToEnd(int fd, int timeoutMs = 5000);
// Makes the close that ends the script a reset instead of an orderly end.
inline void ResetClose(int fd);
inline void SleepMs(int ms);

// A port on 127.0.0.1 where nothing listens (bound, then released).
inline int UnusedPort();

// ---- implementation ----------------------------------------------------------
namespace detail {

inline int Listen127(int& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket");
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        throw std::runtime_error("bind/listen");
    }
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    return fd;
}

inline long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline bool WaitReadable(int fd, long long deadline) {
    for (;;) {
        long long left = deadline - NowMs();
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        int rc = ::poll(&p, 1, static_cast<int>(left));
        if (rc > 0) return true;
        if (rc < 0 && errno != EINTR) return false;
    }
}

} // namespace detail

inline TScriptedServer::TScriptedServer(TScript script, bool concurrent)
    : FScript(std::move(script)), FConcurrent(concurrent) {
    FListen = detail::Listen127(FPort);
    if (::pipe(FStop) != 0) throw std::runtime_error("pipe");
    FThread = std::thread([this] { Run(); });
}

inline TScriptedServer::~TScriptedServer() {
    char c = 'x';
    if (::write(FStop[1], &c, 1) < 0) {
    }
    FThread.join();
    for (std::thread& t : FPeers)
        t.join();
    ::close(FListen);
    ::close(FStop[0]);
    ::close(FStop[1]);
}

inline void TScriptedServer::Run() {
    for (int index = 0;; ++index) {
        pollfd p[2] = {{FListen, POLLIN, 0}, {FStop[0], POLLIN, 0}};
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (p[1].revents) return;
        int fd = ::accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        ++FAccepted;
        if (FConcurrent)
            FPeers.emplace_back([this, fd, index] { Serve(fd, index); });
        else
            Serve(fd, index);
    }
}

inline void TScriptedServer::Serve(int fd, int index) {
    try {
        FScript(fd, index);
    } catch (...) {
    }
    ::close(fd);
    ++FDone;
}

inline bool SendAll(int fd, const std::string& bytes) {
    std::size_t off = 0;
    while (off < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        off += static_cast<std::size_t>(n);
    }
    return true;
}

inline bool ReadUntil(int fd, const std::string& pattern, std::string& got, int timeoutMs) {
    long long deadline = detail::NowMs() + timeoutMs;
    while (got.find(pattern) == std::string::npos) {
        if (!detail::WaitReadable(fd, deadline)) return false;
        char buf[4096];
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return false;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return true;
}

inline bool ReadExactly(int fd, std::size_t n, std::string& got, int timeoutMs) {
    long long deadline = detail::NowMs() + timeoutMs;
    got.clear();
    while (got.size() < n) {
        if (!detail::WaitReadable(fd, deadline)) return false;
        char buf[4096];
        std::size_t want = std::min(sizeof buf, n - got.size());
        ssize_t r = ::recv(fd, buf, want, 0);
        if (r <= 0) return false;
        got.append(buf, static_cast<std::size_t>(r));
    }
    return true;
}

inline std::string ReadToEnd(int fd, int timeoutMs) {
    long long deadline = detail::NowMs() + timeoutMs;
    std::string got;
    for (;;) {
        if (!detail::WaitReadable(fd, deadline)) return got;
        char buf[4096];
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return got;
        got.append(buf, static_cast<std::size_t>(n));
    }
}

inline void ResetClose(int fd) {
    linger l{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::shutdown(fd, SHUT_RD);
}

inline void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

inline int UnusedPort() {
    int port = 0;
    int fd = detail::Listen127(port);
    ::close(fd);
    return port;
}

} // namespace bptest
