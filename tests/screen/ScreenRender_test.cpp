// Rendering of the screen: what an incremental render leaves in the display
// bitmap, and the screenrender tool end to end (bytes in, a PNG out).
#include "screen/BgCrt.h"

#include "platform/core/Ticks.h"

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

QString Tool() {
    return qEnvironmentVariable("BP_BINARY_DIR") + QStringLiteral("/screenrender");
}
QString Fixture(const char* name) {
    return qEnvironmentVariable("BP_FIXTURES") + QStringLiteral("/screen/") + QLatin1String(name);
}

int RunTool(const QStringList& args, QString* err = nullptr) {
    QProcess p;
    p.start(Tool(), args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        return -1;
    }
    if (err) *err = QString::fromLocal8Bit(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// A screen on a hand-driven clock, with either renderer: the opaque one, or
// the background one (Transparent on).
class IncrementalRender : public ::testing::TestWithParam<bool> {
protected:
    std::uint32_t Now = 100000;
    TBgCrt S;

    void SetUp() override {
        win::SetTickSource([this] { return Now; });
        S.SetColumns(80);
        S.SetRows(24);
        S.SetTransparent(GetParam());
        S.StopRefresh();
        S.show();
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
        // The whole screen on the display: a cell outside the bitmap would
        // compare equal in any render and prove nothing.
        S.resize(S.Columns() * S.CellWidth(), S.Rows() * S.CellHeight());
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
        const QRect last = S.CellRect(S.Columns() - 1, S.Rows() - 1);
        ASSERT_LE(last.right(), S.DisplayBitmap().Bitmap().Width() - 1);
        ASSERT_LE(last.bottom(), S.DisplayBitmap().Bitmap().Height() - 1);
    }
    void TearDown() override { win::SetTickSource({}); }
    // Lets the timer see the output, then the pause pass, and ticks again:
    // renders the dirty cells.
    void Render() {
        S.RefreshTimerTick();
        Now += S.Interval() + 1;
        S.RefreshTimerTick();
    }
    // Every row full of text, rendered, nothing left dirty.
    void FillAndRender() {
        S.SetAutoWrap(false);
        for (int y = 0; y < S.Rows(); ++y) {
            std::string line;
            for (int x = 0; x < S.Columns(); ++x)
                line += static_cast<char>('A' + (x + y) % 26);
            S.GotoXY(0, y);
            S.WriteStr(line);
        }
        Render();
        ASSERT_TRUE(S.Screen().IsDirtyEmpty());
    }
    // The display after rendering every cell again.
    TPixelBuffer FullRender() {
        {
            std::lock_guard<TRenderGuard> g(S.Screen().Rendering);
            S.Screen().MarkAllDirty();
        }
        Render();
        return S.DisplayBitmap().Bitmap();
    }
    // How many cells the display shows otherwise than a full render of the
    // same screen draws them; the first three are named.
    int StaleCells() {
        const TPixelBuffer incremental = S.DisplayBitmap().Bitmap();
        const TPixelBuffer full = FullRender();
        EXPECT_EQ(incremental.Width(), full.Width());
        EXPECT_EQ(incremental.Height(), full.Height());
        int stale = 0;
        for (int line = 0; line < S.Rows(); ++line)
            for (int col = 0; col < S.Columns(); ++col) {
                const QRect r = S.CellRect(col, line);
                bool same = true;
                for (int y = r.top(); y <= r.bottom() && same; ++y)
                    for (int x = r.left(); x <= r.right() && same; ++x)
                        same = incremental.Pixel(x, y) == full.Pixel(x, y);
                if (!same && ++stale <= 3)
                    ADD_FAILURE() << "cell " << col << "," << line << " differs";
            }
        return stale;
    }
};

} // namespace

TEST_P(IncrementalRender, WrittenCellsLookAsAfterAFullRender) {
    struct Case {
        const char* Name;
        bool AutoWrap;
        int X, Y;
        const char* Text;
    } cases[] = {
        {"short run in mid row", false, 10, 3, "hello"},
        {"ends in the last column", false, 75, 5, "hello"},
        {"ends in the last column, wrapping", true, 75, 7, "hello"},
        {"wraps onto the next row", true, 77, 9, "hello"},
        {"single cell", false, 40, 12, "!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        FillAndRender();
        S.SetAutoWrap(c.AutoWrap);
        S.SetTextColor(14);
        S.SetBackColor(1);
        S.GotoXY(c.X, c.Y);
        S.WriteStr(c.Text);
        S.SetTextColor(7);
        S.SetBackColor(0);
        Render();
        EXPECT_EQ(StaleCells(), 0);
    }
}

// A write that changes how the bytes after it pair (half of a Big5
// character overwritten, a lead byte written over a single one) shows the
// rest of the row as a full render does, without stale halves.
TEST_P(IncrementalRender, WritesThatRepairTheRowLeaveNoStaleHalves) {
    struct Case {
        const char* Name;
        const char* Before; // written at column 0
        int X;
        const char* Text; // then written at X
    } cases[] = {
        {"first byte of a character", "\xA4\xA4\xA4\xE5\xA6\x72\xA7\xCE abc", 0, "a"},
        {"lead byte over a single one", "a\xA4\xA4\xA4\xE5\xA6\x72 abc", 0, "\xA4"},
        {"second byte only", "\xA4\xA4\xA4\xE5\xA6\x72", 3, "x"},
        {"run ending in a lead byte", "ab\xA4\xA4\xA4\xE5\xA6\x72", 0, "z\xA4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        FillAndRender();
        S.GotoXY(0, 4);
        S.WriteStr(c.Before);
        Render();
        S.GotoXY(c.X, 4);
        S.WriteStr(c.Text);
        Render();
        EXPECT_EQ(StaleCells(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Renderers, IncrementalRender, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Background" : "Opaque"; });

TEST(ScreenRender, ReplaysBytesIntoAPicture) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString out = dir.filePath("s.png");
    ASSERT_EQ(RunTool({"--rows", "12", "--columns", "60", Fixture("sample.ans"), "-o", out}), 0);
    QImage image(out);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width() % 60, 0);
    EXPECT_EQ(image.height() % 12, 0);
    // The first line is white text on blue: both colours are on its top row
    // of cells, and nothing else.
    const int cellH = image.height() / 12;
    int blue = 0, white = 0, other = 0;
    for (int y = 0; y < cellH; ++y)
        for (int x = 0; x < image.width() / 2; ++x) {
            const QRgb c = image.pixel(x, y) & 0xFFFFFF;
            blue += c == 0x0000AA;
            white += c == 0xFFFFFF;
            other += c != 0x0000AA && c != 0xFFFFFF;
        }
    EXPECT_GT(blue, white);
    EXPECT_GT(white, 0);
    EXPECT_EQ(other, 0);
}

TEST(ScreenRender, DrawsOverAPicture) {
    QTemporaryDir dir;
    const QString out = dir.filePath("p.png");
    ASSERT_EQ(RunTool({"--rows", "8", "--columns", "40", "--picture", Fixture("waves.ppm"),
                       "--style", "1", "--transparency", "0", Fixture("boxes.ans"), "-o", out}),
              0);
    QImage image(out);
    QImage picture(Fixture("waves.ppm"));
    ASSERT_FALSE(image.isNull());
    ASSERT_FALSE(picture.isNull());
    // The last line's right end holds no text: the tiled picture shows as is.
    const int x = image.width() - 3, y = image.height() - 2;
    EXPECT_EQ(image.pixel(x, y) & 0xFFFFFF,
              picture.pixel(x % picture.width(), y % picture.height()) & 0xFFFFFF);
}

TEST(ScreenRender, RefusesBadArguments) {
    QString err;
    EXPECT_EQ(RunTool({"--rows", "0", Fixture("sample.ans"), "-o", "/nonexistent/x.png"}, &err), 2);
    EXPECT_TRUE(err.contains("--rows"));
    EXPECT_EQ(RunTool({Fixture("sample.ans")}), 2);
    EXPECT_EQ(RunTool({"--picture", "/nonexistent.png", Fixture("sample.ans"), "-o", "x.png"}), 1);
    EXPECT_EQ(RunTool({"/nonexistent.ans", "-o", "x.png"}), 1);
}
