// Interpreter throughput: the same four byte streams through our engine
// (interpreter, write path, scroll-back) and through libvterm with its screen
// layer and a 1000-line scroll-back ring, in reads of 4 KiB as the network
// delivers them. Prints MB/s of each and our speed as a multiple of
// libvterm's, and the same for the per-byte path (ProcessChar). Also the
// heap an emulator holds with a full scroll-back.
//
//   (a) plain text lines with CR LF that scroll
//   (b) SGR-dense ANSI art, a colour change every 2-5 bytes
//   (c) Big5 text with colours
//   (d) full-screen cursor-addressed repaints
#include "screen/core/ScreenBuffer.h"
#include "screen/core/VtInterpreter.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <vterm.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t CorpusSize = 4 << 20;
constexpr std::size_t ReadSize = 4096;

// Appends ESC [ p1 ; p2 ... final.
void Csi(std::string& out, std::initializer_list<unsigned> params, char final) {
    out += "\x1b[";
    bool first = true;
    for (unsigned p : params) {
        if (!first) out += ';';
        out += std::to_string(p);
        first = false;
    }
    out += final;
}

struct TRandom {
    std::mt19937 Engine;
    explicit TRandom(unsigned seed) : Engine(seed) {}
    unsigned operator()(unsigned n) { return static_cast<unsigned>(Engine() % n); }
};

std::string PlainLines() {
    TRandom rnd(1);
    const char* words[] = {"the",     "board",  "sysop", "reply", "posted", "thread", "welcome",
                           "message", "online", "users", "read",  "mail",   "news",   "today"};
    std::string out;
    while (out.size() < CorpusSize) {
        std::string line;
        const std::size_t len = 20 + rnd(58);
        while (line.size() < len) {
            line += words[rnd(14)];
            line += ' ';
        }
        line.resize(len);
        out += line;
        out += "\r\n";
    }
    return out;
}

std::string SgrArt() {
    TRandom rnd(2);
    const char* glyphs = "#%@*+=-:. /\\|_";
    std::string out;
    unsigned column = 0;
    while (out.size() < CorpusSize) {
        Csi(out, {rnd(2), 30 + rnd(8), 40 + rnd(8)}, 'm');
        const unsigned run = 2 + rnd(4);
        for (unsigned i = 0; i < run; ++i)
            out += glyphs[rnd(14)];
        column += run;
        if (column >= 76) {
            Csi(out, {}, 'm');
            out += "\r\n";
            column = 0;
        }
    }
    return out;
}

std::string ColouredBig5() {
    TRandom rnd(3);
    std::string out;
    unsigned column = 0;
    while (out.size() < CorpusSize) {
        if (rnd(4) == 0) Csi(out, {1, 31 + rnd(7)}, 'm');
        for (int i = 0; i < 4; ++i) {
            out += static_cast<char>(0xA4 + rnd(0x20)); // lead byte
            out += static_cast<char>(0x40 + rnd(0x3F)); // trail byte
        }
        column += 8;
        if (column >= 72) {
            Csi(out, {}, 'm');
            out += "\r\n";
            column = 0;
        }
    }
    return out;
}

std::string Repaints() {
    TRandom rnd(4);
    std::string out;
    while (out.size() < CorpusSize) {
        Csi(out, {}, 'H');
        for (unsigned row = 1; row <= 24; ++row) {
            Csi(out, {row, 1}, 'H');
            for (int seg = 0; seg < 4; ++seg) {
                Csi(out, {30 + rnd(8), 40 + rnd(8)}, 'm');
                for (int i = 0; i < 20; ++i)
                    out += static_cast<char>('A' + rnd(26));
            }
        }
        Csi(out, {}, 'm');
    }
    return out;
}

const std::string& Corpus(int which) {
    static const std::string corpora[] = {PlainLines(), SgrArt(), ColouredBig5(), Repaints()};
    return corpora[which];
}

const char* const CorpusName[] = {"plain_lines", "sgr_art", "big5_colour", "repaints"};

// ---- Our engine ----------------------------------------------------------------

void Ours(benchmark::State& state) {
    const std::string& data = Corpus(static_cast<int>(state.range(0)));
    const auto* p = reinterpret_cast<const std::uint8_t*>(data.data());
    for (auto _ : state) {
        TScreenBuffer screen;
        TVtInterpreter vt(screen);
        for (std::size_t at = 0; at < data.size(); at += ReadSize)
            vt.ProcessBuffer(p + at, std::min(ReadSize, data.size() - at));
        benchmark::DoNotOptimize(screen.RowCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
    state.SetLabel(CorpusName[state.range(0)]);
}

// The per-byte path: every byte through ProcessChar on its own, the way a
// trace replay or a per-byte decoder feeds the screen.
void OursPerByte(benchmark::State& state) {
    const std::string& data = Corpus(static_cast<int>(state.range(0)));
    const auto* p = reinterpret_cast<const std::uint8_t*>(data.data());
    for (auto _ : state) {
        TScreenBuffer screen;
        TVtInterpreter vt(screen);
        for (std::size_t i = 0; i < data.size(); ++i)
            vt.ProcessChar(p[i]);
        benchmark::DoNotOptimize(screen.RowCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
    state.SetLabel(CorpusName[state.range(0)]);
}

// The same, each 4 KiB read in one write batch, as a trace replay feeds its
// slices and screendump its input.
void OursPerByteBatched(benchmark::State& state) {
    const std::string& data = Corpus(static_cast<int>(state.range(0)));
    const auto* p = reinterpret_cast<const std::uint8_t*>(data.data());
    for (auto _ : state) {
        TScreenBuffer screen;
        TVtInterpreter vt(screen);
        for (std::size_t at = 0; at < data.size(); at += ReadSize) {
            TScreenBuffer::TWriteBatch batch(screen);
            const std::size_t end = std::min(at + ReadSize, data.size());
            for (std::size_t i = at; i < end; ++i)
                vt.ProcessChar(p[i]);
        }
        benchmark::DoNotOptimize(screen.RowCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
    state.SetLabel(CorpusName[state.range(0)]);
}

// ---- libvterm, screen layer and a scroll-back ring ----------------------------------

struct TVtermSession {
    static constexpr int Lines = 1000;
    VTerm* Vt;
    VTermScreen* Screen;
    std::vector<VTermScreenCell> Ring;
    int Next = 0;

    static int PushLine(int cols, const VTermScreenCell* cells, void* user) {
        auto* s = static_cast<TVtermSession*>(user);
        const int n = std::min(cols, 80);
        std::memcpy(&s->Ring[static_cast<std::size_t>(s->Next) * 80], cells,
                    sizeof(VTermScreenCell) * n);
        s->Next = (s->Next + 1) % Lines;
        return 1;
    }

    TVtermSession() : Ring(static_cast<std::size_t>(Lines) * 80) {
        Vt = vterm_new(24, 80);
        vterm_set_utf8(Vt, 0);
        Screen = vterm_obtain_screen(Vt);
        static VTermScreenCallbacks callbacks = [] {
            VTermScreenCallbacks c{};
            c.sb_pushline = &TVtermSession::PushLine;
            return c;
        }();
        vterm_screen_set_callbacks(Screen, &callbacks, this);
        vterm_screen_reset(Screen, 1);
    }
    ~TVtermSession() { vterm_free(Vt); }
};

void Vterm(benchmark::State& state) {
    const std::string& data = Corpus(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TVtermSession s;
        for (std::size_t at = 0; at < data.size(); at += ReadSize)
            vterm_input_write(s.Vt, data.data() + at, std::min(ReadSize, data.size() - at));
        benchmark::DoNotOptimize(s.Next);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
    state.SetLabel(CorpusName[state.range(0)]);
}

// ---- Memory of a full scroll-back ----------------------------------------------------

std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

void FullScrollBackMemory(benchmark::State& state) {
    std::size_t bytes = 0;
    int rows = 0;
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        auto screen = std::make_unique<TScreenBuffer>();
        TVtInterpreter vt(*screen);
        // Fill until the next line would trim: the largest the list gets.
        while (screen->RowCount() < 2 * screen->Rows() + screen->MaxBufferRows() - 1)
            vt.ProcessBuffer("scroll-back line\r\n");
        bytes = HeapInUse() - before;
        rows = screen->RowCount();
    }
    state.counters["heap_bytes"] = static_cast<double>(bytes);
    state.counters["rows"] = rows;
}

// Collects MB/s per benchmark so the ratios can be printed at the end.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const auto it = r.counters.find("bytes_per_second");
            if (it != r.counters.end()) Speed[r.benchmark_name()] = it->second.value / 1e6;
            const auto heap = r.counters.find("heap_bytes");
            if (heap != r.counters.end()) HeapBytes = heap->second.value;
        }
    }
    std::map<std::string, double> Speed;
    double HeapBytes = 0;
};

} // namespace

BENCHMARK(Ours)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(OursPerByte)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(OursPerByteBatched)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(Vterm)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(FullScrollBackMemory)->Iterations(1);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%-12s %10s %10s %10s %10s %8s %8s %8s\n", "corpus", "ours MB/s", "per-byte",
                "in batch", "vterm MB/s", "ratio", "per-byte", "in batch");
    auto speed = [&](const char* name, int i) {
        const auto it = reporter.Speed.find(name + std::string("/") + std::to_string(i));
        return it == reporter.Speed.end() ? 0.0 : it->second;
    };
    for (int i = 0; i < 4; ++i) {
        const double ours = speed("Ours", i), byByte = speed("OursPerByte", i),
                     inBatch = speed("OursPerByteBatched", i), vterm = speed("Vterm", i);
        if (ours == 0.0 || vterm == 0.0) continue;
        std::printf("%-12s %10.1f %10.1f %10.1f %10.1f %7.2fx %7.2fx %7.2fx\n", CorpusName[i], ours,
                    byByte, inBatch, vterm, ours / vterm, byByte / vterm, inBatch / vterm);
    }
    if (reporter.HeapBytes > 0)
        std::printf("full scroll-back: %.0f bytes of heap (%.2f MiB)\n", reporter.HeapBytes,
                    reporter.HeapBytes / (1 << 20));
    benchmark::Shutdown();
    return 0;
}
