// Find Next without a hit over a full scroll-back of 1,000, 10,000 and
// 100,000 rows, and the unpaused trace replay: a trace file of a 1 MB Big5
// colour stream parsed and fed to a screen in the window's 64 KiB slices,
// each slice one write batch, as the replay window feeds it.
#include "screen/core/ScreenBuffer.h"
#include "screen/core/VtInterpreter.h"
#include "session/core/FindText.h"
#include "session/core/TraceReplay.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

namespace {

// The search's view of a buffer; no selection, so every step scans.
class TRows : public findtext::TFindRows {
public:
    TScreenBuffer Buffer;
    int Columns() const override { return Buffer.Columns(); }
    int Rows() const override { return Buffer.Rows(); }
    int TopRow() const override { return Buffer.TopRow(); }
    int ViewRow() const override { return Buffer.ViewRow(); }
    int RowCount() const override { return Buffer.RowCount(); }
    void ReadRow(int y, unsigned char* bytes) const override {
        for (int i = 0; i < RowCells; ++i)
            bytes[i] = Buffer.Row(y).Cells[i].Char;
    }
    std::uint64_t DroppedRows() const override { return Buffer.DroppedRows(); }
    void BeginRead() override { Buffer.Rendering.lock(); }
    void EndRead() override { Buffer.Rendering.unlock(); }
    bool HasSelection() const override { return false; }
    int SelLeft() const override { return 0; }
    int SelTop() const override { return 0; }
    int SelRight() const override { return 0; }
    void SetViewRow(int row) override { Buffer.SetViewRow(row); }
    void SetSelection(int, int, int, int) override {}
    void ClearSelection() override {}
};

void FindNextMiss(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    TRows r;
    r.Buffer.SetMaxBufferRows(rows);
    TVtInterpreter emu(r.Buffer);
    std::string text;
    for (int i = 0; i < rows; ++i)
        text += "line " + std::to_string(i) + " of the board \xA4\xA4\xA4\xE5 text\r\n";
    emu.ProcessBuffer(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    findtext::TFindState find;
    for (auto _ : state) {
        find.Reset(r, findtext::DirDown, 7);
        benchmark::DoNotOptimize(find.Step(r, "NOWHERE", findtext::DirDown, false));
    }
    state.counters["rows"] = r.Buffer.RowCount();
}

// Big5 text with a colour change every few characters, about `size` bytes.
std::string Big5Colour(std::size_t size) {
    std::mt19937 rnd(3);
    std::string out;
    while (out.size() < size) {
        out += "\x1b[1;3" + std::to_string(rnd() % 8) + "m";
        for (int k = 0; k < 6; ++k) {
            out += static_cast<char>(0xA4 + rnd() % 0x20);
            out += static_cast<char>(0x40 + rnd() % 0x3F);
        }
        if (rnd() % 5 == 0) out += "\r\n";
    }
    return out;
}

// The stream as a trace file: 16 pairs per line after an offset column.
std::string TraceOf(const std::string& data) {
    std::string out = "trace\r\n";
    char head[32], pair[4];
    for (std::size_t i = 0; i < data.size(); i += 16) {
        std::snprintf(head, sizeof head, "  0x%06zX ", i);
        out += head;
        for (std::size_t k = i; k < std::min(data.size(), i + 16); ++k) {
            std::snprintf(pair, sizeof pair, "%02X ", static_cast<unsigned char>(data[k]));
            out += pair;
        }
        out += "\r\n";
    }
    return out;
}

void ReplayUnpaused(benchmark::State& state) {
    const std::string data = Big5Colour(1 << 20);
    const std::string file = TraceOf(data);
    for (auto _ : state) {
        TScreenBuffer screen;
        TVtInterpreter emu(screen);
        trace::TTraceFeeder feeder(trace::ParseFile(file));
        const trace::TTraceFeeder::TSink sink = [&](std::uint8_t b, std::size_t, bool) {
            emu.ProcessChar(b);
        };
        while (!feeder.Finished()) {
            TScreenBuffer::TWriteBatch batch(screen);
            feeder.Run(false, 64 * 1024, sink);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void ParseTrace(benchmark::State& state) {
    const std::string file = TraceOf(Big5Colour(1 << 20));
    for (auto _ : state)
        benchmark::DoNotOptimize(trace::ParseFile(file));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

} // namespace

BENCHMARK(FindNextMiss)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(ReplayUnpaused)->Unit(benchmark::kMillisecond);
BENCHMARK(ParseTrace)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
