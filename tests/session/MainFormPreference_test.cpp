// The preferences command's OK pass over three sessions connected to a real
// telnet daemon on loopback: scroll-back size, font and window size,
// palette and link colours as seen in the grabbed screens, picture and caret
// settings, and a session dropped by its peer while the pass runs.
#include "QuietEnvironment.h"
#include "SessionPeers.h"
#include "UserInput.h"
#include "support/ChildProcess.h"
#include "support/ClickButton.h"
#include "support/SandboxHome.h"

#include "dialogs/PreferenceDialog.h"
#include "platform/QtMessageLoop.h"
#include "platform/core/Big5.h"
#include "platform/core/Ticks.h"
#include "session/Connection.h"
#include "session/DetachedForm.h"
#include "session/core/NetworkUp.h"
#include "session/core/ProgressPass.h"
#include "session/kvMainForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>

using sessiontest::ScreenHas;
using sessiontest::ScreenText;
using sessiontest::WaitFor;

namespace {

using sessiontest::Dir;
using sessiontest::Home;
using TTestEnvironment = sessiontest::TSandboxEnvironment;
using testsupport::ClickIndicator;
using testsupport::ClickTab;
using testsupport::SetChecked;
using testsupport::TypeOver;
using testsupport::TypeOverSpin;

// The dialog's pages.
enum { kGeneral = 0, kFont = 1, kBackground = 2, kColours = 3, kBig5 = 4, kSound = 5, kCaret = 6 };

// Clicks a button or a colour swatch with the mouse.
void Click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton);
}

// The font page's box turned on and its button clicked: the font picker
// (answered by `grow`) chooses the size.
void ChooseFontSize(TPreferenceDlg& d, int grow) {
    ClickTab(d.PageControl, kFont);
    SetChecked(d.ApplyFontCheckBox, true);
    d.ChooseFont = [grow](QFont& f) {
        f.setPointSize(f.pointSize() + grow);
        return true;
    };
    Click(d.FontHotBitBtn);
}

// The scroll-back size typed on the first page.
void TypeBufferRows(TPreferenceDlg& d, int rows) {
    ClickTab(d.PageControl, kGeneral);
    TypeOverSpin(d.MaxBufferRowsSpinEdit, QString::number(rows));
}

// The program's clock runs (screens render once output pauses), and the test
// moves it on for the housekeeping timer's delays.
std::atomic<win::DWORD> gAhead{0};
win::DWORD Now() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<win::DWORD>(static_cast<std::uint64_t>(ms.count()) & 0xFFFFFFFFu) +
           gAhead.load();
}

QColor Rgb(TColor c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

// Pixels of exactly `colour` in what the screen shows.
int PixelsOf(TBgCrt& screen, TColor colour) {
    const QImage shot = screen.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb want = Rgb(colour).rgb();
    int n = 0;
    for (int y = 0; y < shot.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x)
            n += (line[x] & 0xFFFFFF) == (want & 0xFFFFFF);
    }
    return n;
}

// Writes a picture file; returns its path (UTF-8). `folder` may be Chinese.
std::string WritePicture(const std::string& name, QColor colour, QSize size,
                         const char* folder = "pictures") {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const std::string path = Dir(folder) + name;
    image.save(QString::fromStdString(path));
    return path;
}

struct PreferenceTest : ::testing::Test {
    static void SetUpTestSuite() {
        Home();
        win::InstallQtMessageLoop();
        win::SetTickSource(Now);
        session::SetNetworkProbe([] { return true; });
    }
    void SetUp() override {
        if (!testpeer::HaveProgram("/bin/busybox")) GTEST_SKIP() << "busybox not installed";
        const std::uint16_t port = testpeer::FreePort();
        Daemon = std::make_unique<testpeer::TChildProcess>(
            std::vector<std::string>{"/bin/busybox", "telnetd", "-F", "-b", "127.0.0.1", "-p",
                                     std::to_string(port), "-l", "/bin/sh"});
        ASSERT_TRUE(testpeer::WaitForListener(port, 5000));
        Form = std::make_unique<TkvMainForm>(std::vector<std::string>{},
                                             std::make_unique<TTestEnvironment>());
        Form->show();
        Form->FlashTimer->stop(); // the test runs the timer's steps itself
        Form->Settings.Remove = true;
        Form->Settings.ReConnect = false;
        Form->Settings.Max = false;
        for (int i = 0; i < 3; ++i)
            sessiontest::TypeAndConnect(*Form, QStringLiteral("127.0.0.1"), QString::number(port));
        ASSERT_EQ(Count(), 3);
        ASSERT_TRUE(WaitFor([&] { return Form->ConnectCount == 3; }));
        // Each shell answers before the test goes on.
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(Shell(i, "echo ready$((40+" + std::to_string(i) + "))",
                              "ready" + std::to_string(40 + i)))
                << ScreenText(S(i));
    }
    void TearDown() override {
        Form.reset();
        Daemon.reset();
    }

    TConnection& S(int i) { return *Form->Sessions.at(static_cast<std::size_t>(i)); }
    int Count() const { return static_cast<int>(Form->Sessions.size()); }
    bool Enabled(const char* command) const {
        QAction* a = Form->Action(QString::fromLatin1(command));
        return a && a->isEnabled();
    }
    // Types a command into session i's shell; true once `answer` shows.
    bool Shell(int i, const std::string& command, const std::string& answer) {
        S(i).SendStr(command + "\r");
        return WaitFor([&] { return ScreenHas(S(i), answer); });
    }
    // Chooses the preferences command: `edit` works its controls, then OK.
    void Preferences(std::function<void(TPreferenceDlg&)> edit) {
        sessiontest::ChoosePreferences(*Form, std::move(edit));
    }
    void Tick(int ms = 1000) {
        gAhead += static_cast<win::DWORD>(ms);
        Form->FlashTimerTimer();
    }

    std::unique_ptr<testpeer::TChildProcess> Daemon;
    std::unique_ptr<TkvMainForm> Form;
};

} // namespace

TEST_F(PreferenceTest, ScrollBackSizeReachesEverySessionAndTrimsTheHistory) {
    ASSERT_TRUE(Shell(0, "seq 1000 1400; echo end$((2+3))", "end5"));
    const int filled = S(0).Screen().RowCount();
    ASSERT_GT(filled, 400);
    Preferences([](TPreferenceDlg& d) { TypeBufferRows(d, 2500); });
    EXPECT_EQ(Form->Settings.MaxBufferRows, 2500);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(S(i).Screen().MaxBufferRows(), 2500) << "session " << i;

    // A smaller size holds the history to it once more output arrives.
    Preferences([](TPreferenceDlg& d) { TypeBufferRows(d, 200); });
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(S(i).Screen().MaxBufferRows(), 200) << "session " << i;
    ASSERT_TRUE(Shell(0, "seq 2000 2300; echo end$((3+4))", "end7"));
    // At most the size plus two screens, which go at once past it.
    EXPECT_LE(S(0).Screen().RowCount(), 200 + 2 * S(0).Screen().Rows());
    EXPECT_TRUE(ScreenHas(S(0), "2300\nend7"));
}

TEST_F(PreferenceTest, LineEndDelayDecodingBellAndBig5KeysReachEverySession) {
    const TMainSettings before = Form->Settings;
    Preferences([&](TPreferenceDlg& d) {
        ClickTab(d.PageControl, kGeneral);
        ClickIndicator(d.CRLFRadioGroup->Item(before.CRLF == 0 ? 1 : 0));
        TypeOverSpin(d.DelayIntervalSpinEdit, QString::number(before.DelayInterval + 30));
        SetChecked(d.QPDecodeCheckBox, !before.DecodeQP);
        ClickTab(d.PageControl, kSound);
        TypeOverSpin(d.BeepSpinEdit, QString::number(before.ClearBeepInterval / 1000 + 7));
        ClickTab(d.PageControl, kBig5);
        SetChecked(d.Big5BackSpaceCheckBox, !before.Big5BackSpace);
        SetChecked(d.Big5DeleteCheckBox, !before.Big5Delete);
        SetChecked(d.Big5ArrowCheckBox, !before.Big5Arrow);
    });
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("session " + std::to_string(i));
        EXPECT_EQ(S(i).CRLF(), before.CRLF == 0 ? 1 : 0);
        EXPECT_EQ(S(i).Interval(), static_cast<unsigned>(before.DelayInterval + 30));
        EXPECT_EQ(S(i).qpEnabled(), !before.DecodeQP);
        EXPECT_EQ(S(i).Timer1Interval(), static_cast<unsigned>(before.ClearBeepInterval + 7000));
        EXPECT_EQ(S(i).Big5BackSpace, !before.Big5BackSpace);
        EXPECT_EQ(S(i).Big5Delete, !before.Big5Delete);
        EXPECT_EQ(S(i).Big5Arrow, !before.Big5Arrow);
    }
}

TEST_F(PreferenceTest, BiggerFontGrowsWindowsThatAreNotMaximisedKeepingTheirLeftEdge) {
    TDetachedForm* w0 = Form->FormOf(&S(0));
    TDetachedForm* w1 = Form->FormOf(&S(1));
    TDetachedForm* w2 = Form->FormOf(&S(2));
    ASSERT_TRUE(w0 && w1 && w2);
    w1->showNormal();
    w2->showNormal();
    w1->move(10, 20);
    w2->move(40, 50);
    w0->showMaximized();
    QApplication::processEvents();
    const QRect max0 = w0->geometry(), frame1 = w1->geometry(), frame2 = w2->geometry();
    const int size = Form->Settings.FontSize;
    const int before1 = S(1).Font().pointSize(), before2 = S(2).Font().pointSize();

    Preferences([](TPreferenceDlg& d) { ChooseFontSize(d, 6); });
    QApplication::processEvents();
    ASSERT_EQ(Form->Settings.FontSize, size + 6);
    // The maximised window keeps its place and shows the chosen size; the
    // others fit their font to the grown client, rounding included.
    EXPECT_EQ(S(0).Font().pointSize(), size + 6);
    EXPECT_GT(S(1).Font().pointSize(), before1 + 3);
    EXPECT_GT(S(2).Font().pointSize(), before2 + 3);
    EXPECT_TRUE(w0->isMaximized());
    EXPECT_EQ(w0->geometry(), max0);
    for (auto [w, frame] : {std::pair{w1, frame1}, std::pair{w2, frame2}}) {
        EXPECT_EQ(w->geometry().left(), frame.left());
        EXPECT_GT(w->geometry().width(), frame.width());
        EXPECT_GT(w->geometry().height(), frame.height());
    }
    // The grown clients hold every cell of the terminal.
    for (int i = 1; i < 3; ++i) {
        EXPECT_GE(S(i).width(), S(i).Screen().Columns() * S(i).CellWidth()) << "session " << i;
        EXPECT_GE(S(i).height(), S(i).Screen().Rows() * S(i).CellHeight()) << "session " << i;
    }

    // A window already bigger than the terminal keeps its size.
    w2->resize(w2->width() + 300, w2->height() + 200);
    QApplication::processEvents();
    const QRect big = w2->geometry();
    Preferences([](TPreferenceDlg& d) { ChooseFontSize(d, -1); });
    QApplication::processEvents();
    EXPECT_EQ(Form->Settings.FontSize, size + 5);
    EXPECT_EQ(S(2).Font().pointSize(), size + 5);
    EXPECT_EQ(w2->geometry(), big);
}

TEST_F(PreferenceTest, PaletteAndLinkColoursChangeThePixelsOfEveryScreen) {
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(Shell(i, "printf '\\033[41m%s\\033[m http://127.0.0.1/p%s\\n' BLOCK BLOCK",
                          "BLOCK http://127.0.0.1/pBLOCK"))
            << ScreenText(S(i));
    const TColor oldBack = Form->Settings.BgColors[1];
    const TColor oldLink = Form->Settings.WwwHyperlinkColor;
    const TColor newBack = 0x123456, newLink = 0x2040C0;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(WaitFor([&] { return PixelsOf(S(i), oldBack) > 0; })) << "session " << i;
        ASSERT_TRUE(WaitFor([&] { return PixelsOf(S(i), oldLink) > 0; })) << "session " << i;
        EXPECT_EQ(PixelsOf(S(i), newBack), 0);
        EXPECT_EQ(PixelsOf(S(i), newLink), 0);
    }
    Preferences([&](TPreferenceDlg& d) {
        ClickTab(d.PageControl, kColours);
        ClickIndicator(d.PaletteRadios[1]);
        // The colour picker answers with the new colours.
        d.ChooseColor = [&](TColor& c) {
            c = newBack;
            return true;
        };
        Click(d.TextBackgroundSText);
        d.ChooseColor = [&](TColor& c) {
            c = newLink;
            return true;
        };
        Click(d.HttpHyperlinkSText);
    });
    EXPECT_EQ(Form->Settings.BgColors[1], newBack);
    EXPECT_EQ(Form->Settings.WwwHyperlinkColor, newLink);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(WaitFor([&] { return PixelsOf(S(i), newBack) > 0; })) << "session " << i;
        EXPECT_TRUE(WaitFor([&] { return PixelsOf(S(i), newLink) > 0; })) << "session " << i;
        EXPECT_EQ(PixelsOf(S(i), oldBack), 0) << "session " << i;
        EXPECT_EQ(PixelsOf(S(i), oldLink), 0) << "session " << i;
    }
}

TEST_F(PreferenceTest, PictureAndCaretSettingsArriveAndGoAgain) {
    const std::string picture = WritePicture("back.png", QColor(10, 200, 30), {64, 48});
    const std::string caret = WritePicture("caret.png", QColor(250, 250, 0), {7, 13});
    Preferences([&](TPreferenceDlg& d) {
        // The file picker answers with the picture files.
        ClickTab(d.PageControl, kBackground);
        SetChecked(d.ApplyPictureCheckBox, true);
        SetChecked(d.PictureCheckBox, true);
        d.ChoosePicture = [&](const std::string&) { return picture; };
        Click(d.OpenSpeedButton);
        EXPECT_TRUE(testsupport::ChooseComboItem(d.PictureStyleComboBox, 1)); // tiled
        SetChecked(d.TransparentCheckBox, true);
        TypeOver(d.TransparencyEdit, QStringLiteral("35"));
        ClickTab(d.PageControl, kCaret);
        ClickIndicator(d.CaretTypeRadioGroup->Item(1)); // picture caret
        d.ChoosePicture = [&](const std::string&) { return caret; };
        Click(d.CaretImageButton);
    });
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("session " + std::to_string(i));
        EXPECT_TRUE(S(i).GlyphVisible());
        EXPECT_EQ(S(i).PictureFileName, picture);
        ASSERT_NE(S(i).Glyph(), nullptr);
        EXPECT_EQ(S(i).BackStyle(), static_cast<TBackgroundStyle>(1));
        EXPECT_TRUE(S(i).Transparent());
        EXPECT_EQ(S(i).Transparency(), 35);
        EXPECT_EQ(S(i).CursorGlyph().size(), QSize(7, 13));
    }

    // Back to a block caret of another height, and no picture.
    Preferences([&](TPreferenceDlg& d) {
        ClickTab(d.PageControl, kBackground);
        SetChecked(d.PictureCheckBox, false);
        ClickTab(d.PageControl, kCaret);
        ClickIndicator(d.CaretTypeRadioGroup->Item(0));
        TypeOverSpin(d.CaretHeightSpinEdit, QString::number(S(0).CursorHeight() + 3));
    });
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("session " + std::to_string(i));
        EXPECT_FALSE(S(i).GlyphVisible());
        EXPECT_TRUE(S(i).CursorGlyph().isNull());
        EXPECT_EQ(S(i).CursorHeight(), Form->Settings.CaretHeight);
    }
}

TEST_F(PreferenceTest, SessionDroppedByItsPeerDuringThePassBreaksNothing) {
    // While the pass shows the second session's progress, that session's
    // shell ends and the daemon closes its connection.
    const QString second = QString::fromStdString(session::ProgressText(1, 3));
    bool dropped = false, lockedMidPass = false;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (dropped || Form->StatusText(4) != second) return;
        dropped = true;
        lockedMidPass = !Enabled("SetPreference") && !Enabled("Directory");
        S(1).SendStr("exit\r");
        WaitFor([&] { return !S(1).IsConnected(); }, 10000);
    });
    watch.start();
    Preferences([](TPreferenceDlg& d) {
        TypeBufferRows(d, 1800);
        ChooseFontSize(d, 2);
    });
    watch.stop();
    ASSERT_TRUE(dropped) << "the pass never showed the second session";
    EXPECT_TRUE(lockedMidPass) << "commands are off while the pass runs";
    EXPECT_FALSE(S(1).IsConnected());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(S(i).Screen().MaxBufferRows(), 1800) << "session " << i;
    EXPECT_TRUE(Form->StatusText(4).isEmpty());
    for (const char* c : {"SetPreference", "RunScript", "Directory", "Connect"})
        EXPECT_TRUE(Enabled(c)) << c;
    EXPECT_TRUE(Form->FlashTimer->isActive());

    // The housekeeping then removes the dropped session; the others go on.
    Form->FlashTimer->stop();
    Tick(5000);
    ASSERT_EQ(Count(), 2);
    EXPECT_TRUE(Enabled("SetPreference"));
    EXPECT_TRUE(Enabled("Paste"));
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(Shell(i, "echo after$((50+" + std::to_string(i) + "))",
                          "after" + std::to_string(50 + i)));
}

TEST_F(PreferenceTest, SessionWindowClosedDuringThePassIsLeftOut) {
    // While the pass shows the first session's progress, the user closes the
    // last session's window; with "Remove" on the session goes at once.
    const QString first = QString::fromStdString(session::ProgressText(0, 3));
    TConnection* last = &S(2);
    bool closed = false;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (closed || Form->StatusText(4) != first) return;
        closed = true;
        // Closing a window is window handling (the desktop tier drives it);
        // here only its effect in the middle of the pass counts.
        Form->FormOf(last)->close();
        WaitFor([&] { return Count() == 2; }, 10000);
    });
    watch.start();
    Preferences([](TPreferenceDlg& d) { TypeBufferRows(d, 1700); });
    watch.stop();
    ASSERT_TRUE(closed);
    ASSERT_EQ(Count(), 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(S(i).Screen().MaxBufferRows(), 1700) << "session " << i;
    EXPECT_TRUE(Enabled("SetPreference"));
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(Shell(i, "echo left$((60+" + std::to_string(i) + "))",
                          "left" + std::to_string(60 + i)));
}

TEST_F(PreferenceTest, PicturesInFoldersWithChineseNamesLoad) {
    // The dialog hands over file names in code page 950, as it keeps them.
    const std::string picture = WritePicture("背景.png", QColor(10, 20, 200), {32, 32}, "圖片");
    const std::string caret = WritePicture("游標.png", QColor(200, 0, 0), {5, 11}, "圖片");
    Preferences([&](TPreferenceDlg& d) {
        ClickTab(d.PageControl, kBackground);
        SetChecked(d.ApplyPictureCheckBox, true);
        SetChecked(d.PictureCheckBox, true);
        d.ChoosePicture = [&](const std::string&) { return win::Utf8ToBig5(picture); };
        Click(d.OpenSpeedButton);
        ClickTab(d.PageControl, kCaret);
        ClickIndicator(d.CaretTypeRadioGroup->Item(1));
        d.ChoosePicture = [&](const std::string&) { return win::Utf8ToBig5(caret); };
        Click(d.CaretImageButton);
    });
    EXPECT_EQ(Form->Settings.CaretImageFilename, win::Utf8ToBig5(caret));
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("session " + std::to_string(i));
        EXPECT_NE(S(i).Glyph(), nullptr);
        EXPECT_EQ(S(i).CursorGlyph().size(), QSize(5, 11));
    }
}

TEST_F(PreferenceTest, EveryTabCaptionShowsWhenTheDialogOpens) {
    int hidden = -1;
    Preferences([&](TPreferenceDlg& d) {
        const QTabBar* bar = d.PageControl->tabBar();
        hidden = 0;
        for (int i = 0; i < bar->count(); ++i)
            hidden += !bar->rect().contains(bar->tabRect(i));
    });
    EXPECT_EQ(hidden, 0);
}

TEST_F(PreferenceTest, MinimisedWindowStaysMinimisedAndFitsOnceRestored) {
    TDetachedForm* w1 = Form->FormOf(&S(1));
    ASSERT_TRUE(w1);
    ASSERT_FALSE(w1->isMinimized() || w1->isMaximized());
    const QRect normal = w1->geometry();
    // Another session is the current one: the current window is restored
    // whenever the focus returns to it. The document area itself restores
    // a minimised window whose screen takes the focus on the way, so the
    // minimising is repeated until it holds.
    for (int k = 0; k < 5 && !w1->isMinimized(); ++k) {
        w1->showMinimized();
        QApplication::processEvents();
    }
    // Minimising can make the window current, and the pass's end restores
    // the current window: then there is nothing to see here.
    if (!w1->isMinimized() || Form->CurrentSession == 1)
        GTEST_SKIP() << "the minimised window did not stay minimised and in the background";
    const QRect minimised = w1->geometry();
    Preferences([](TPreferenceDlg& d) { ChooseFontSize(d, 6); });
    QApplication::processEvents();
    EXPECT_TRUE(w1->isMinimized());
    EXPECT_EQ(w1->geometry(), minimised);
    w1->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(w1->geometry().left(), normal.left());
    EXPECT_GE(S(1).width(), S(1).Screen().Columns() * S(1).CellWidth());
    EXPECT_GE(S(1).height(), S(1).Screen().Rows() * S(1).CellHeight());
}
