// Render speed of the screen control: a full 80 x 24 screen of coloured Big5
// text at 12 pt, opaque and over a background picture, a one-cell update,
// and the background composition at the largest size.
#include "screen/VtEmul.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <string>

namespace {

class TBenchScreen : public TVtEmul {
public:
    using TVtEmul::RenderDirty;
};

// Screenfuls of Big5 text in changing colours, as BBS pages look.
std::string ColouredBig5Screen() {
    const std::string words[] = {"\xA4\xA4\xA4\xE5", "\xB4\xFA\xB8\xD5", "\xB9\x71\xA4\x6C",
                                 "\xA7\x47\xA7\x69", "\xA8\x74\xB2\xCE"}; // Chinese words
    std::string out = "\x1b[2J\x1b[H";
    for (int line = 0; line < 24; ++line) {
        for (int i = 0; i < 10; ++i) {
            out += "\x1b[" + std::to_string(30 + (line + i) % 8) + ";" +
                   std::to_string(40 + (line * 3 + i) % 8) + "m";
            out += words[(line + i) % 5];
            out += "AB";
            out += words[(line * 7 + i) % 5];
        }
        if (line < 23) out += "\r\n";
    }
    return out;
}

void Prepare(TBenchScreen& s) {
    s.SetFont(MakeScreenFont(DefaultScreenFace(), 12));
    s.resize(80 * s.CellWidth(), 24 * s.CellHeight());
    s.StopRefresh();
    s.show();
    QApplication::processEvents();
    s.ProcessBuffer(ColouredBig5Screen());
}

void FullRender(benchmark::State& state, TBenchScreen& s) {
    for (auto _ : state) {
        std::lock_guard<TRenderGuard> g(s.Screen().Rendering);
        s.Screen().MarkAllDirty();
        benchmark::DoNotOptimize(s.RenderDirty());
    }
}

void BM_FullRenderOpaque(benchmark::State& state) {
    TBenchScreen s;
    s.SetTransparent(false);
    Prepare(s);
    FullRender(state, s);
}
BENCHMARK(BM_FullRenderOpaque)->Unit(benchmark::kMillisecond);

void BM_FullRenderOverPicture(benchmark::State& state) {
    TBenchScreen s;
    TMyBitmap picture, back, mirror, shot;
    picture.SetSize(320, 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            picture.Bitmap().SetPixel(x, y, TBgr{std::uint8_t(x), std::uint8_t(y), 90});
    s.SetScreenBack(&back);
    s.SetMirror(&mirror);
    s.SetScreenShoot(&shot);
    s.SetGlyph(&picture);
    Prepare(s);
    s.UpdateBackground();
    FullRender(state, s);
}
BENCHMARK(BM_FullRenderOverPicture)->Unit(benchmark::kMillisecond);

void BM_SingleCellUpdate(benchmark::State& state) {
    TBenchScreen s;
    s.SetTransparent(false);
    Prepare(s);
    int n = 0;
    for (auto _ : state) {
        s.GotoXY(n % 80, (n / 80) % 24);
        s.WriteChar(std::uint8_t('A' + n % 26));
        ++n;
        std::lock_guard<TRenderGuard> g(s.Screen().Rendering);
        benchmark::DoNotOptimize(s.RenderDirty());
    }
}
BENCHMARK(BM_SingleCellUpdate)->Unit(benchmark::kMillisecond);

void BM_UpdateBackground1280x1024(benchmark::State& state) {
    TBenchScreen s;
    TMyBitmap picture, back, mirror, shot;
    picture.SetSize(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            picture.Bitmap().SetPixel(x, y, TBgr{std::uint8_t(x), std::uint8_t(y), 90});
    shot.SetSize(1920, 1080);
    shot.Bitmap().Fill(TBgr{120, 60, 30});
    s.SetScreenBack(&back);
    s.SetMirror(&mirror);
    s.SetScreenShoot(&shot);
    s.SetGlyph(&picture);
    s.StopRefresh();
    s.resize(1280, 1024);
    s.show();
    QApplication::processEvents();
    for (auto _ : state)
        s.UpdateBackground();
}
BENCHMARK(BM_UpdateBackground1280x1024)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
