// A telnet peer on 127.0.0.1 for the tests: sends a greeting to each
// connection and records every byte it receives, connection by connection,
// until the other side closes or the peer is stopped. Header-only.
#pragma once
#include "ScriptedServer.h"

#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace bptest {

// A telnet peer on 127.0.0.1 that sends a greeting to each connection and
// records every byte it receives, connection by connection.
class TRecordingPeer {
public:
    explicit TRecordingPeer(std::string greeting = "\r\nwelcome\r\n")
        : Greeting_(std::move(greeting)),
          Server_([this](int fd, int index) { Serve(fd, index); }, true) {}
    ~TRecordingPeer() { Stopping_ = true; }

    int Port() const { return Server_.Port(); }
    std::string PortStr() const { return Server_.PortStr(); }
    int Accepted() const { return Server_.Accepted(); }
    // True once the script of every accepted connection has ended.
    bool Idle() const { return Server_.Idle(); }
    // What connection `index` sent.
    std::string Received(int index = 0) const {
        std::lock_guard<std::mutex> l(Mutex_);
        return index < int(Got_.size()) ? Got_[std::size_t(index)] : std::string();
    }
    // What every connection sent, one after the other.
    std::string ReceivedAll() const {
        std::lock_guard<std::mutex> l(Mutex_);
        std::string all;
        for (const std::string& g : Got_)
            all += g;
        return all;
    }
    bool Has(const std::string& bytes) const {
        return ReceivedAll().find(bytes) != std::string::npos;
    }
    // Waits until connection `index` has sent `bytes` (anywhere in its stream).
    bool WaitReceived(const std::string& bytes, int index = 0, int ms = 10000) const {
        return Until([&] { return Received(index).find(bytes) != std::string::npos; }, ms);
    }
    bool WaitAccepted(int n = 1, int ms = 15000) const {
        return Until([&] { return Accepted() >= n; }, ms);
    }
    void Stop() { Stopping_ = true; }

private:
    template <class TPred>
    static bool Until(TPred done, int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!done()) {
            if (std::chrono::steady_clock::now() >= end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return true;
    }
    void Serve(int fd, int index) {
        {
            std::lock_guard<std::mutex> l(Mutex_);
            if (int(Got_.size()) <= index) Got_.resize(std::size_t(index) + 1);
        }
        SendAll(fd, Greeting_);
        while (!Stopping_) {
            pollfd p{fd, POLLIN, 0};
            int rc = ::poll(&p, 1, 100);
            if (rc <= 0) continue;
            char buf[4096];
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) return;
            std::lock_guard<std::mutex> l(Mutex_);
            Got_[std::size_t(index)].append(buf, std::size_t(n));
        }
    }
    std::string Greeting_;
    mutable std::mutex Mutex_;
    std::vector<std::string> Got_;
    std::atomic<bool> Stopping_{false};
    TScriptedServer Server_;
};

} // namespace bptest
