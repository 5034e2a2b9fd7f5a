// The main window's move pass, as it runs while the window is dragged: ten
// transparent sessions over a 1280x1024 desktop shot. One pass cuts the
// document area's background out of the shot and rebuilds every
// transparent screen's background; the two halves are also timed alone.
// Runs offscreen on a 1280x1024 screen, in a home of its own.
#include "../tests/session/QuietEnvironment.h"
#include "../tests/support/SandboxHome.h"

#include "platform/QtMessageLoop.h"
#include "screen/MyBitmap.h"
#include "session/Connection.h"
#include "session/kvMainForm.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kSessions = 10;
constexpr int kDesktopWidth = 1280, kDesktopHeight = 1024;

TkvMainForm* Form = nullptr;

void Pump(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// A desktop picture with detail, so nothing is one flat colour.
QImage DesktopShot() {
    QImage shot(kDesktopWidth, kDesktopHeight, QImage::Format_RGB888);
    for (int y = 0; y < kDesktopHeight; ++y) {
        uchar* row = shot.scanLine(y);
        for (int x = 0; x < kDesktopWidth; ++x) {
            row[3 * x] = static_cast<uchar>(x);
            row[3 * x + 1] = static_cast<uchar>(y);
            row[3 * x + 2] = static_cast<uchar>((x ^ y) & 0xFF);
        }
    }
    return shot;
}

// The window on the desktop with its sessions open and transparent.
bool Prepare(const std::string& folder) {
    Form = new TkvMainForm(std::vector<std::string>{},
                           std::make_unique<sessiontest::TQuietEnvironment>(folder));
    Form->Settings.Max = false;
    Form->Settings.MoveToLeftTopWhenConnection = false;
    Form->setGeometry(0, 0, kDesktopWidth, kDesktopHeight - 40);
    Form->show();
    if (Form->FlashTimer) Form->FlashTimer->stop();
    Pump(100);
    for (int i = 0; i < kSessions; ++i)
        if (TConnection* s = Form->OpenSessionWindow()) s->SetTransparent(true);
    Pump(200);
    Form->ScreenShoot->Assign(DesktopShot());
    QAction* transparent = Form->Action(QStringLiteral("TransparentMenuItem"));
    if (!transparent) return false;
    if (!transparent->isChecked()) transparent->trigger();
    Pump(100);
    int ready = 0;
    for (TConnection* s : Form->Sessions)
        if (s->Transparent() && s->IsLoaded() && s->ScreenBack()) ++ready;
    return ready == kSessions && transparent->isChecked();
}

void BM_MovePass(benchmark::State& state) {
    for (auto _ : state) {
        // As if the window had moved: the handler runs its whole pass.
        Form->LayoutMoveWatch.Invalidate();
        Form->MainWindowMoved();
    }
    state.counters["sessions"] = static_cast<double>(Form->Sessions.size());
}
BENCHMARK(BM_MovePass)->Unit(benchmark::kMillisecond);

void BM_DocumentAreaCut(benchmark::State& state) {
    for (auto _ : state)
        Form->PaintTransparentBackground();
}
BENCHMARK(BM_DocumentAreaCut)->Unit(benchmark::kMillisecond);

void BM_TenScreenRebuilds(benchmark::State& state) {
    for (auto _ : state)
        for (TConnection* s : Form->Sessions) {
            s->CheckFullRepaint();
            s->UpdateBackground();
        }
}
BENCHMARK(BM_TenScreenRebuilds)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Nothing of the user's is read or written.
    testpeer::TSandboxHome home;
    if (home.Root().empty()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const std::string folder = home.Root() + "/prog/";
    std::filesystem::create_directories(folder);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const std::string config = home.Root() + "/screens.json";
        std::ofstream(config) << "{\"screens\":[{\"name\":\"bench\",\"x\":0,\"y\":0,\"width\":"
                              << kDesktopWidth << ",\"height\":" << kDesktopHeight
                              << ",\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}";
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.c_str());
    }
    QApplication app(argc, argv);
    win::InstallQtMessageLoop();
    const bool ready = Prepare(folder);
    if (QScreen* s = QGuiApplication::primaryScreen())
        std::printf("desktop %dx%d, %d transparent sessions%s\n", s->geometry().width(),
                    s->geometry().height(), static_cast<int>(Form->Sessions.size()),
                    ready ? "" : " (NOT READY: the numbers do not mean a full pass)");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete Form;
    Form = nullptr;
    return ready ? 0 : 1;
}
