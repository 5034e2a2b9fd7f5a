// The control gallery tool end to end: it draws the sheet offscreen in a
// process of its own and refuses bad command lines and unwritable outputs.
#include "../support/SandboxHome.h"

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>

#include <gtest/gtest.h>

namespace {

struct TRun {
    int Code = -1;
    QString Err;
};

// One sandbox home for the whole program (the tool inherits it): the
// sandbox does not put the old variables back, so it is made only once.
const testpeer::TSandboxHome& Home() {
    static testpeer::TSandboxHome home;
    return home;
}

TRun RunGallery(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("BP_BINARY_DIR") + QStringLiteral("/controlgallery"), args);
    TRun r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.Err = QString::fromLocal8Bit(p.readAllStandardError());
    if (p.exitStatus() == QProcess::NormalExit) r.Code = p.exitCode();
    return r;
}

TEST(ControlGallery, DrawsASheetWithManyColours) {
    ASSERT_FALSE(Home().Root().empty());
    const QString png = QString::fromStdString(Home().Root()) + QStringLiteral("/gallery.png");
    const TRun r = RunGallery({QStringLiteral("-o"), png});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    QImage sheet(png);
    ASSERT_FALSE(sheet.isNull());
    EXPECT_GT(sheet.width(), 400);
    EXPECT_GT(sheet.height(), 300);
    // Glyphs, label schemes and session pictures each bring their colours.
    QSet<QRgb> colours;
    for (int y = 0; y < sheet.height(); y += 2)
        for (int x = 0; x < sheet.width(); x += 2)
            colours.insert(sheet.pixel(x, y));
    EXPECT_GT(colours.size(), 40);
}

TEST(ControlGallery, BadCommandLinesAndOutputsFail) {
    ASSERT_FALSE(Home().Root().empty());
    EXPECT_EQ(RunGallery({}).Code, 2);
    EXPECT_EQ(RunGallery({QStringLiteral("-o")}).Code, 2);
    EXPECT_EQ(RunGallery({QStringLiteral("--frobnicate")}).Code, 2);
    const TRun r = RunGallery({QStringLiteral("-o"), QStringLiteral("/nonexistent-dir/x/y.png")});
    EXPECT_EQ(r.Code, 1);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("cannot write")));
}

} // namespace
