// screenrender: replays terminal output into a screen control on Qt's
// offscreen platform and saves what the control shows as a PNG.
//
//   screenrender [--rows N] [--columns N] [--font FACE] [--size PT]
//                [--picture FILE --style N --transparency T]
//                [--blink-hidden] FILE... -o OUT.png
#include "screen/VtEmul.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>

namespace {

int Usage(const char* msg) {
    std::fprintf(stderr, "screenrender: %s\n", msg);
    std::fprintf(stderr, "usage: screenrender [--rows N] [--columns N] [--font FACE] [--size PT]\n"
                         "                    [--picture FILE --style N --transparency T]\n"
                         "                    [--blink-hidden] FILE... -o OUT.png\n");
    return 2;
}

bool ToInt(const char* s, int lo, int hi, int& out) {
    char* end = nullptr;
    long v = std::strtol(s, &end, 10);
    if (!s[0] || *end || v < lo || v > hi) return false;
    out = int(v);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt would take options such as --style for itself: it sees none of ours.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    int rows = 24, columns = 80, size = 12, style = int(bsStretched), transparency = 60;
    bool blinkHidden = false;
    QString face = DefaultScreenFace(), picture, out;
    QStringList inputs;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (a == "--rows") {
            if (!(v = value()) || !ToInt(v, 1, 200, rows)) return Usage("--rows needs 1..200");
        } else if (a == "--columns") {
            if (!(v = value()) || !ToInt(v, 1, 80, columns)) return Usage("--columns needs 1..80");
        } else if (a == "--size") {
            if (!(v = value()) || !ToInt(v, 1, 200, size)) return Usage("--size needs 1..200");
        } else if (a == "--style") {
            if (!(v = value()) || !ToInt(v, 0, 5, style)) return Usage("--style needs 0..5");
        } else if (a == "--transparency") {
            if (!(v = value()) || !ToInt(v, 0, 100, transparency))
                return Usage("--transparency needs 0..100");
        } else if (a == "--font") {
            if (!(v = value())) return Usage("--font needs a face");
            face = QString::fromUtf8(v);
        } else if (a == "--picture") {
            if (!(v = value())) return Usage("--picture needs a file");
            picture = QString::fromLocal8Bit(v);
        } else if (a == "-o") {
            if (!(v = value())) return Usage("-o needs a file");
            out = QString::fromLocal8Bit(v);
        } else if (a == "--blink-hidden") {
            blinkHidden = true;
        } else if (a.startsWith("-") && a != "-") {
            return Usage("unknown option");
        } else {
            inputs << QString::fromLocal8Bit(a);
        }
    }
    if (out.isEmpty() || inputs.isEmpty()) return Usage("give input files and -o OUT.png");

    TVtEmul screen;
    screen.SetColumns(columns);
    screen.SetRows(rows);
    screen.SetFont(MakeScreenFont(face, size));
    screen.resize(columns * screen.CellWidth(), rows * screen.CellHeight());

    TMyBitmap glyph, back, mirror, shot;
    if (!picture.isEmpty()) {
        if (!glyph.LoadFromFile(picture)) {
            std::fprintf(stderr, "screenrender: cannot read picture %s\n", qPrintable(picture));
            return 1;
        }
        screen.SetScreenBack(&back);
        screen.SetMirror(&mirror);
        screen.SetScreenShoot(&shot); // an all-black desktop
        shot.SetSize(screen.width(), screen.height());
        screen.SetTransparent(false);
        screen.SetTransparency(transparency);
        screen.SetBackStyle(TBackgroundStyle(style));
        screen.SetGlyph(&glyph);
    } else {
        screen.SetTransparent(false);
    }

    for (const QString& name : inputs) {
        QFile f(name);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "screenrender: cannot read %s\n", qPrintable(name));
            return 1;
        }
        const QByteArray bytes = f.readAll();
        screen.ProcessBuffer(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                             std::size_t(bytes.size()));
    }
    screen.show();
    if (!picture.isEmpty()) screen.UpdateBackground();

    // Wait for the refresh timer to render what was written.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000) {
        app.processEvents(QEventLoop::AllEvents, 10);
        if (!screen.Screen().NeedRender && waited.elapsed() > qint64(screen.Interval()) * 2) break;
    }
    if (blinkHidden != screen.BlinkPhase())
        screen.SetBlinkInterval(0); // one blink step shows the other phase
    while (blinkHidden != screen.BlinkPhase() && waited.elapsed() < 10000)
        app.processEvents(QEventLoop::AllEvents, 10);
    screen.SetBlinkInterval(1u << 30);
    app.processEvents();

    if (!screen.grab().save(out, "PNG")) {
        std::fprintf(stderr, "screenrender: cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
