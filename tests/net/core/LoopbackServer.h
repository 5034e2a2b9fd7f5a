// Test peers on 127.0.0.1: a listening socket on a free port whose
// connections are served, one after the other, by a handler on a thread of
// its own; a scripted SOCKS 4/5 proxy built on it; and helpers to start and
// stop real proxy and web server programs on loopback (the shared helpers).
#pragma once
#include "support/ChildProcess.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testpeer {

// Reads exactly n bytes (fewer when the peer closes or 5 s pass).
std::string ReadExactly(int fd, std::size_t n);
// Reads up to and including the first byte equal to stop.
std::string ReadUntil(int fd, char stop);
// Reads until the peer closes (or 5 s pass without data).
std::string ReadAll(int fd);
void WriteAll(int fd, const std::string& bytes);

class TLoopbackServer {
public:
    using THandler = std::function<void(int fd)>;
    explicit TLoopbackServer(THandler handler);
    ~TLoopbackServer();
    std::uint16_t Port() const { return Port_; }
    int Accepted() const { return Accepted_; }

private:
    void Run();
    THandler Handler_;
    int Listen_ = -1;
    int WakeRead_ = -1, WakeWrite_ = -1;
    std::uint16_t Port_ = 0;
    std::atomic<int> Accepted_{0};
    std::thread Thread_;
};

// Sends back everything it receives until the peer closes.
void Echo(int fd);

// A SOCKS proxy whose answers the test chooses; it records the frames the
// client sent and, once it granted the connection, echoes.
struct TFakeSocksScript {
    std::uint8_t Method = 0; // SOCKS 5 method to choose
    bool CloseInsteadOfAuthReply = false;
    std::uint8_t AuthStatus = 0; // user/password reply status
    std::uint8_t Reply = 0;      // SOCKS 5 reply code, or SOCKS 4 code (90 = granted)
    std::uint8_t AddrType = 1;   // bound address type of the SOCKS 5 reply: 1, 3 or 4
    std::string BoundName = "proxy.example";
    std::string Behind;   // bytes sent in the same write behind the reply
    std::string RawReply; // when set: sent instead of the connect reply
};

class TFakeSocksProxy {
public:
    explicit TFakeSocksProxy(TFakeSocksScript script);
    std::uint16_t Port() const { return Server_.Port(); }
    // Frames as received: greeting, user/password request, connect request.
    std::string Greeting() const;
    std::string AuthRequest() const;
    std::string ConnectRequest() const;

private:
    void Serve(int fd);
    TFakeSocksScript Script_;
    mutable std::mutex M_;
    std::string Greeting_, Auth_, Connect_;
    TLoopbackServer Server_; // last: starts serving once the rest exists
};

} // namespace testpeer
