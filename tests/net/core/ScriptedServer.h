// A TCP server on 127.0.0.1 for the tests: listens on a free port and runs a
// script for each connection it accepts, on a thread of its own. The script
// talks to the peer with the blocking helpers below.
#pragma once
#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace bptest {

class TScriptedServer {
public:
    using TScript = std::function<void(int fd, int index)>;

    // Starts listening; Script runs for connection 0, 1, 2, ... in turn.
    explicit TScriptedServer(TScript script);
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
    TScript FScript;
    int FListen = -1;
    int FStop[2] = {-1, -1};
    int FPort = 0;
    std::atomic<int> FAccepted{0};
    std::atomic<int> FDone{0};
    std::thread FThread;
};

// Blocking helpers for scripts; each gives up after timeoutMs.
bool SendAll(int fd, const std::string& bytes);
// Reads until `pattern` was seen (the bytes read so far are returned through
// `got`); false on timeout or end of stream.
bool ReadUntil(int fd, const std::string& pattern, std::string& got, int timeoutMs = 5000);
// Reads exactly n bytes.
bool ReadExactly(int fd, std::size_t n, std::string& got, int timeoutMs = 5000);
// Reads until the peer closes; returns what came.
std::string ReadToEnd(int fd, int timeoutMs = 5000);
// Makes the close that ends the script a reset instead of an orderly end.
void ResetClose(int fd);
void SleepMs(int ms);

// A port on 127.0.0.1 where nothing listens (bound, then released).
int UnusedPort();

} // namespace bptest
