// The screenrender tool end to end: bytes in, a PNG of the screen out.
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

} // namespace

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
