// Hostile peers against the GUI thread: headless telnet sessions on Qt's
// event loop (as the program runs them) while loopback peers send without
// pause random bytes, an endless sub-negotiation, or escape sequences with
// 100,000 parameters each. A Qt timer every 10 ms stands for paint, keys and
// the other sessions; the figure that matters is the longest gap between its
// ticks. Also reported: the bytes read per second, the most read events
// queued for one socket, and the growth of the resident set over the run.
//
// Arguments: the number of hostile peers; each run lasts two seconds.
#include "LoopbackListener.h"
#include "net/core/TelnetSession.h"
#include "platform/QtMessageLoop.h"
#include "platform/core/Messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <fstream>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

std::string Block(int kind) {
    std::string b;
    if (kind == 0) {
        unsigned x = 7;
        b.resize(64 * 1024);
        for (char& c : b)
            c = static_cast<char>((x = x * 1103515245 + 12345) >> 16);
    } else if (kind == 1) {
        b.assign(64 * 1024, 'x');
    } else {
        b = "\x1b[";
        for (int i = 0; i < 100000; ++i)
            b += "1;";
        b += "m";
    }
    return b;
}

// Accepts connections on 127.0.0.1 and floods each (kind = index % 3) until
// the client goes away or the peer is stopped.
class THostilePeers {
public:
    THostilePeers() {
        Acceptor = std::thread([this] {
            for (int index = 0;; ++index) {
                int c = ::accept(Listener.Fd, nullptr, nullptr);
                if (c < 0 || Stop) {
                    if (c >= 0) ::close(c);
                    return;
                }
                Floods.emplace_back([this, c, index] {
                    const std::string block = Block(index % 3);
                    if (index % 3 == 1) ::send(c, "\xff\xfa\x18", 3, MSG_NOSIGNAL);
                    while (!Stop)
                        if (::send(c, block.data(), block.size(), MSG_NOSIGNAL) < 0) break;
                    ::close(c);
                });
            }
        });
    }
    ~THostilePeers() {
        Stop = true;
        Listener.Wake();
        Acceptor.join();
        for (auto& t : Floods)
            t.join();
    }
    TLoopbackListener Listener{64};
    std::atomic<bool> Stop{false};
    std::thread Acceptor;
    std::vector<std::thread> Floods;
};

struct TTerm {
    TScreenBuffer Screen;
    TVtInterpreter Vt{Screen};
    net::TTelnetSession Session{Screen, Vt};
};

double RssMiB() {
    std::ifstream f("/proc/self/statm");
    long pages = 0, rss = 0;
    f >> pages >> rss;
    return static_cast<double>(rss) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1048576.0;
}

void BM_HostilePeers(benchmark::State& state) {
    const int peers = static_cast<int>(state.range(0));
    for (auto _ : state) {
        THostilePeers server;
        std::vector<std::unique_ptr<TTerm>> terms;
        const double rssBefore = RssMiB();
        for (int i = 0; i < peers; ++i) {
            terms.push_back(std::make_unique<TTerm>());
            terms.back()->Session.HostName = "127.0.0.1";
            terms.back()->Session.Port = std::to_string(server.Listener.Port);
            terms.back()->Session.Connect();
        }
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0, longest = 0;
        int mostQueued = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            longest = std::max(longest, now - last);
            last = now;
            for (auto& t : terms)
                mostQueued = std::max(
                    mostQueued, win::QueuedMessageCount(t->Session.TelnetCnx().Socket()->Handle(),
                                                        net::WM_ASYNCSELECT,
                                                        win::WSAMAKESELECTREPLY(win::FD_READ, 0)));
            if (now >= 2000) QCoreApplication::exit(0);
        });
        tick.start(10);
        // Guard: the peers stop after ten seconds, so a loop that never
        // returns to Qt still ends (and shows as a ten-second gap).
        std::thread guard([&] {
            for (int i = 0; i < 1000 && !server.Stop; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            server.Stop = true;
        });
        QCoreApplication::exec();
        const qint64 ran = clock.elapsed();
        long long bytes = 0;
        for (auto& t : terms)
            bytes += t->Session.TelnetCnx().Socket()->ReadCount();
        state.counters["longest_gap_ms"] = static_cast<double>(longest);
        state.counters["MB_per_s"] = static_cast<double>(bytes) / 1e6 / (ran / 1000.0);
        state.counters["most_queued_reads"] = mostQueued;
        state.counters["rss_growth_MiB"] = RssMiB() - rssBefore;
        server.Stop = true;
        for (auto& t : terms)
            t->Session.Disconnect();
        guard.join();
    }
}
BENCHMARK(BM_HostilePeers)->Arg(1)->Arg(3)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    win::InstallQtMessageLoop();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
