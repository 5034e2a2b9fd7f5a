// Tests that need a real X display (a picture of the screen, a window
// system's placement) run their body in a child process: the same test
// program, only this test, on the xcb platform. The parent runs under the
// offscreen platform like every other test; without a local X display it
// starts one of its own (Xvfb under openbox, as the desktop tier does).
// Header-only.
#pragma once
#include "../support/Desktop.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace testx {

// True inside the child that runs a test's body under X.
inline bool InXChild() {
    const char* v = std::getenv("BP_X_CHILD");
    return v && *v == '1';
}

// Whether DISPLAY names a display on this machine whose socket answers;
// when not, why. Only local sockets are tried, never a network address.
inline bool LocalXDisplay(std::string* why) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        *why = "no X display (DISPLAY is not set); run under xvfb-run to include this test";
        return false;
    }
    std::string d = display;
    if (d.rfind("unix:", 0) == 0) d = d.substr(4);
    if (d.empty() || d[0] != ':') {
        *why = "DISPLAY=" + std::string(display) + " names no local display";
        return false;
    }
    std::string number =
        d.substr(1, d.find('.') == std::string::npos ? std::string::npos : d.find('.') - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
        *why = "DISPLAY=" + std::string(display) + " is not a display number";
        return false;
    }
    const std::string path = "/tmp/.X11-unix/X" + number;
    for (bool abstract : {false, true}) {
        int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (s < 0) break;
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::size_t at = abstract ? 1 : 0; // an abstract name starts with a NUL
        std::memcpy(a.sun_path + at, path.c_str(), path.size());
        const socklen_t len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + at +
                                                     path.size() + (abstract ? 0 : 1));
        const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), len) == 0;
        close(s);
        if (ok) return true;
    }
    *why = "the X display " + std::string(display) + " does not answer";
    return false;
}

// Runs the current test again in a child on the xcb platform and reports
// its result as this test's: on DISPLAY when that answers, else on a display
// of its own; skipped only when neither can be had.
// Use: if (!testx::InXChild()) { testx::RunUnderX(); return; }
inline void RunUnderX() {
    std::string why;
    std::unique_ptr<desk::TSandbox> box;
    std::unique_ptr<desk::TDisplay> display;
    QString displayName;
    if (!LocalXDisplay(&why)) {
        const std::string missing = desk::Missing();
        if (!missing.empty()) GTEST_SKIP() << why << "; and no display of its own: no " << missing;
        box = std::make_unique<desk::TSandbox>();
        display = std::make_unique<desk::TDisplay>(*box);
        ASSERT_TRUE(display->Ok()) << "Xvfb with openbox did not start";
        displayName = QString::fromStdString(display->Name());
    }
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString filter =
        QStringLiteral("--gtest_filter=%1.%2").arg(info->test_suite_name(), info->name());
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("BP_X_CHILD"), QStringLiteral("1"));
    env.remove(QStringLiteral("GTEST_OUTPUT")); // the parent writes the report
    if (!displayName.isEmpty()) env.insert(QStringLiteral("DISPLAY"), displayName);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {filter});
    ASSERT_TRUE(child.waitForStarted()) << "the test program could not start again";
    // A guard against a hung child, not a measure of anything.
    const bool ended = child.waitForFinished(240000);
    if (!ended) child.kill(), child.waitForFinished();
    const std::string out = child.readAll().toStdString();
    ASSERT_TRUE(ended) << "the child did not end:\n" << out;
    ASSERT_EQ(child.exitStatus(), QProcess::NormalExit) << out;
    EXPECT_EQ(child.exitCode(), 0) << out;
    if (out.find("[  SKIPPED ] 1 test") != std::string::npos)
        GTEST_SKIP() << "skipped under X:\n" << out;
}

} // namespace testx
