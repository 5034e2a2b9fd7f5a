// Telnet path throughput: the parser alone on BBS-style data with sparse IAC
// bytes, and end to end from a loopback peer through the socket layer, the
// telnet layer and the interpreter into the screen, beside the interpreter
// alone on the same bytes (the limit the whole path should approach).
#include "LoopbackListener.h"
#include "net/core/TelnetSession.h"

#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// Screenfuls of coloured text with Big5 words, an IAC IAC pair every few
// kilobytes and an occasional negotiation.
std::string BbsStream(std::size_t size) {
    const std::string words[] = {"\xA4\xA4\xA4\xE5", "\xB4\xFA\xB8\xD5", "board",
                                 "\xB9\x71\xA4\x6C", "post"};
    std::string out;
    int i = 0;
    while (out.size() < size) {
        out += "\x1b[" + std::to_string(30 + i % 8) + ";" + std::to_string(40 + (i / 8) % 8) + "m";
        out += words[i % 5];
        out += " text of a line ";
        if (i % 7 == 6) out += "\r\n";
        if (i % 200 == 199) out += "\xff\xff";
        if (i % 1000 == 999) out += "\xff\xfb\x01";
        ++i;
    }
    out.resize(size);
    return out;
}

class TSink : public net::TTelnetCnx {
public:
    TSink() {
        OnDataAvailable = [this](net::TTelnetCnx*, char*, int len) { Bytes += len; };
    }
    int Send(const void*, int len) override { return len; }
    long long Bytes = 0;
};

void BM_TelnetParser(benchmark::State& state) {
    const std::string data = BbsStream(1 << 20);
    TSink sink;
    for (auto _ : state) {
        for (std::size_t off = 0; off < data.size(); off += 2048)
            sink.ProcessBytes(data.data() + off,
                              static_cast<int>(std::min<std::size_t>(2048, data.size() - off)));
        benchmark::DoNotOptimize(sink.Bytes);
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(data.size()));
}
BENCHMARK(BM_TelnetParser);

void BM_InterpreterOnly(benchmark::State& state) {
    const std::string data = BbsStream(4 << 20);
    TScreenBuffer screen;
    TVtInterpreter vt(screen);
    for (auto _ : state)
        vt.ProcessBuffer(data);
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(data.size()));
}
BENCHMARK(BM_InterpreterOnly)->Unit(benchmark::kMillisecond);

// The same bytes in the pieces one socket read delivers (at most 2048).
void BM_InterpreterIn2KPieces(benchmark::State& state) {
    const std::string data = BbsStream(4 << 20);
    TScreenBuffer screen;
    TVtInterpreter vt(screen);
    for (auto _ : state)
        for (std::size_t off = 0; off < data.size(); off += 2048)
            vt.ProcessBuffer(std::string_view(data).substr(off, 2048));
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(data.size()));
}
BENCHMARK(BM_InterpreterIn2KPieces)->Unit(benchmark::kMillisecond);

// A peer on 127.0.0.1 that sends the stream to every connection and closes.
class TPeer {
public:
    explicit TPeer(std::string data) : Data(std::move(data)) {
        Thread = std::thread([this] {
            for (;;) {
                int c = ::accept(Listener.Fd, nullptr, nullptr);
                if (c < 0 || Stop) {
                    if (c >= 0) ::close(c);
                    return;
                }
                std::size_t off = 0;
                while (off < Data.size()) {
                    ssize_t n = ::send(c, Data.data() + off, Data.size() - off, MSG_NOSIGNAL);
                    if (n <= 0) break;
                    off += static_cast<std::size_t>(n);
                }
                ::shutdown(c, SHUT_WR);
                char buf[256];
                while (::recv(c, buf, sizeof buf, 0) > 0) {
                }
                ::close(c);
            }
        });
    }
    ~TPeer() {
        Stop = true;
        Listener.Wake();
        Thread.join();
    }
    std::string Data;
    TLoopbackListener Listener{4};
    std::atomic<bool> Stop{false};
    std::thread Thread;
};

void BM_LoopbackSession(benchmark::State& state) {
    TPeer peer(BbsStream(4 << 20));
    TScreenBuffer screen;
    TVtInterpreter vt(screen);
    net::TTelnetSession session(screen, vt);
    bool closed = false;
    session.OnSessionClosed = [&] { closed = true; };
    for (auto _ : state) {
        closed = false;
        session.HostName = "127.0.0.1";
        session.Port = std::to_string(peer.Listener.Port);
        session.Connect();
        win::PumpUntil([&] { return closed; }, 60000);
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(peer.Data.size()));
}
BENCHMARK(BM_LoopbackSession)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
