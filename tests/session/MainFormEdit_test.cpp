// The edit, save, upload, find, trace and preferences commands of the main
// window on real sessions connected to recording peers on loopback.
#include "QuietEnvironment.h"
#include "SessionPeers.h"
#include "UserInput.h"
#include "support/ClickButton.h"
#include "support/ModalScript.h"
#include "support/SandboxHome.h"
#include "support/ScriptedServer.h"

#include "dialogs/FindDialog.h"
#include "dialogs/PreferenceDialog.h"
#include "dialogs/TraceDialog.h"
#include "platform/CodePage.h"
#include "platform/QtMessageLoop.h"
#include "screen/ScreenExport.h"
#include "screen/core/ScreenDump.h"
#include "screen/core/VtInterpreter.h"
#include "session/Connection.h"
#include "session/DetachedForm.h"
#include "session/core/NetworkUp.h"
#include "session/core/ProfileEdit.h"
#include "session/kvMainForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "../support/Unprivileged.h"
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sys/stat.h>

using sessiontest::ScreenHas;
using sessiontest::WaitFor;

namespace {

using sessiontest::Dir;
using sessiontest::Home;
using TTestEnvironment = sessiontest::TSandboxEnvironment;

// A peer that sends a greeting, then records everything it receives.
struct TRecorder {
    std::mutex Lock;
    std::string Got;
    std::string Greeting = "ready\r\n";
    std::string Received() {
        std::lock_guard g(Lock);
        return Got;
    }
};

std::string WriteFile(const std::string& name, const std::string& bytes) {
    const std::string path = Dir("files") + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string TraceOf(const std::string& data) {
    std::string out = "trace\r\n";
    for (std::size_t i = 0; i < data.size(); i += 16) {
        char head[32];
        std::snprintf(head, sizeof head, "  0x%06zX ", i);
        out += head;
        for (std::size_t k = i; k < std::min(data.size(), i + 16); ++k) {
            char pair[4];
            std::snprintf(pair, sizeof pair, "%02X ", static_cast<unsigned char>(data[k]));
            out += pair;
        }
        out += "\r\n";
    }
    return out;
}

struct EditTest : ::testing::Test {
    static void SetUpTestSuite() {
        Home();
        // The print system's only server is a socket that does not exist, so
        // no test finds (or prints on) a printer of the machine.
        ::setenv("CUPS_SERVER", (Dir("cups") + "none.sock").c_str(), 1);
        win::InstallQtMessageLoop();
        session::SetNetworkProbe([] { return true; });
    }
    void SetUp() override {
        Form = std::make_unique<TkvMainForm>(std::vector<std::string>{},
                                             std::make_unique<TTestEnvironment>());
        Form->show();
        Form->FlashTimer->stop();
        Form->Settings.Remove = false;
        Form->Settings.ReConnect = false;
        Form->Settings.Max = false;
        Form->ChooseFileName = [this](const std::string&, bool) {
            std::string n = NextFile;
            return n;
        };
    }
    void TearDown() override {
        Form.reset();
        Server.reset();
    }
    // Chooses the command `name` from the menu bar with the mouse.
    void Choose(const char* name) {
        EXPECT_TRUE(sessiontest::ChooseMenuItem(*Form, Form->Action(QString::fromLatin1(name))))
            << name;
    }

    // Drags the mouse over the screen from cell (c0, r0) to (c1, r1).
    void Drag(int c0, int r0, int c1, int r1) {
        TConnection& s = S();
        QTest::mousePress(&s, Qt::LeftButton, {}, s.CellRect(c0, r0).center());
        QTest::mouseMove(&s, s.CellRect((c0 + c1) / 2, (r0 + r1) / 2).center());
        QTest::mouseMove(&s, s.CellRect(c1, r1).center());
        QTest::mouseRelease(&s, Qt::LeftButton, {}, s.CellRect(c1, r1).center());
    }
    void Preferences(std::function<void(TPreferenceDlg&)> edit, bool ok = true,
                     int questions = 0) {
        sessiontest::ChoosePreferences(*Form, std::move(edit), ok, questions);
    }

    // Connects one session to a recording peer; true once it shows the greeting.
    bool ConnectRecorder() {
        Server = std::make_unique<bptest::TScriptedServer>(
            [this](int fd, int) {
                bptest::SendAll(fd, Rec.Greeting);
                char buf[65536];
                for (;;) {
                    if (!bptest::detail::WaitReadable(fd, bptest::detail::NowMs() + 30000)) break;
                    const ssize_t n = ::read(fd, buf, sizeof buf);
                    if (n <= 0) break;
                    std::lock_guard g(Rec.Lock);
                    Rec.Got.append(buf, static_cast<std::size_t>(n));
                }
            },
            true);
        sessiontest::TypeAndConnect(*Form, "127.0.0.1", QString::fromStdString(Server->PortStr()));
        return WaitFor([&] {
            return Form->CurrentSession >= 0 && S().IsConnected() && ScreenHas(S(), "ready");
        });
    }
    TConnection& S() { return *Form->Sessions.at(static_cast<std::size_t>(Form->CurrentSession)); }

    std::unique_ptr<TkvMainForm> Form;
    std::unique_ptr<bptest::TScriptedServer> Server;
    TRecorder Rec;
    std::string NextFile;
};

// Telnet negotiation bytes (IAC ...) the peer may receive first are cut.
std::string Payload(const std::string& got) {
    std::string out;
    for (std::size_t i = 0; i < got.size(); ++i) {
        const auto c = static_cast<unsigned char>(got[i]);
        if (c == 255 && i + 1 < got.size()) {
            const auto cmd = static_cast<unsigned char>(got[i + 1]);
            if (cmd == 255) {
                out.push_back('\xFF');
                ++i;
            } else if (cmd >= 251 && cmd <= 254) {
                i += 2;
            } else if (cmd == 250) {
                const std::size_t se = got.find("\xFF\xF0", i);
                i = se == std::string::npos ? got.size() : se + 1;
            } else {
                ++i;
            }
            continue;
        }
        out.push_back(static_cast<char>(c));
    }
    return out;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The pages of a PDF file: its page objects ("/Type /Page", not "/Pages").
int PdfPages(const std::string& path) {
    const std::string pdf = ReadAll(path);
    if (pdf.rfind("%PDF-", 0) != 0) return -1;
    const std::string key = "/Type /Page";
    int n = 0;
    for (std::size_t at = pdf.find(key); at != std::string::npos; at = pdf.find(key, at + 1))
        if (at + key.size() >= pdf.size() || pdf[at + key.size()] != 's') ++n;
    return n;
}

// Lines of `font` that fit on one page of `printer`.
int LinesPerPage(QPrinter& printer, const QFont& font) {
    const QFontMetrics fm(font, &printer);
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    return page.height() / fm.lineSpacing();
}

} // namespace

TEST_F(EditTest, UploadEndsLinesWithOneCrWhateverTheFileUsed) {
    ASSERT_TRUE(ConnectRecorder());
    const std::string expect = "a\rb\rc";
    std::string all;
    QAction* upload = Form->Action(QStringLiteral("Upload"));
    ASSERT_TRUE(upload->isEnabled()); // the menu item, not only the handler
    for (const char* body : {"a\r\nb\r\nc\r\n", "a\nb\nc", "a\rb\rc\r"}) {
        NextFile = WriteFile("up.txt", body);
        Choose("Upload");
        all += expect;
        ASSERT_TRUE(WaitFor([&] { return Payload(Rec.Received()).find(all) != std::string::npos; }))
            << Payload(Rec.Received());
    }
    EXPECT_EQ(Payload(Rec.Received()), all);
}

TEST_F(EditTest, LargeUploadArrivesWholeAndInOrder) {
    ASSERT_TRUE(ConnectRecorder());
    std::string body, expect;
    for (int i = 0; body.size() < 5u * 1024 * 1024; ++i) {
        const std::string line = "line " + std::to_string(i) + " of the upload";
        body += line + "\n";
        if (!expect.empty()) expect += "\r";
        expect += line;
    }
    NextFile = WriteFile("big.txt", body);
    Choose("Upload");
    ASSERT_TRUE(WaitFor([&] { return Payload(Rec.Received()).size() >= expect.size(); }, 60000));
    EXPECT_TRUE(Payload(Rec.Received()) == expect);
}

TEST_F(EditTest, UnreadableUploadSaysWhyAndSendsNothing) {
    ASSERT_TRUE(ConnectRecorder());
    NextFile = Dir("files") + "missing.txt";
    testsupport::TModalScript boxes;
    boxes.Ok();
    Choose("Upload");
    ASSERT_EQ(boxes.Texts.size(), 1u);
    EXPECT_NE(boxes.Texts[0].find("missing.txt"), std::string::npos);
    bptest::SleepMs(100);
    QApplication::processEvents();
    EXPECT_EQ(Payload(Rec.Received()), "");
}

TEST_F(EditTest, CopyNeedsASelectionAndClearsIt) {
    ASSERT_TRUE(ConnectRecorder());
    QApplication::clipboard()->setText("untouched");
    Choose("Copy");
    EXPECT_EQ(QApplication::clipboard()->text(), "untouched");
    Drag(0, S().Screen().CursorY - 1, 4, S().Screen().CursorY - 1);
    ASSERT_TRUE(S().SelectionShown);
    Choose("Copy");
    EXPECT_EQ(QApplication::clipboard()->text().trimmed(), "ready");
    EXPECT_FALSE(S().SelectionShown);
    EXPECT_TRUE(Form->Action("Copy")->isEnabled() || !Form->Settings.CopyMark);
}

TEST_F(EditTest, SaveIntoAReadOnlyFolderShowsTheBoxAndSavesOtherwise) {
    if (testpeer::RanUnprivileged()) return;
    ASSERT_TRUE(ConnectRecorder());
    const std::string locked = Dir("locked");
    ::chmod(locked.c_str(), 0500);
    NextFile = locked + "screen.txt";
    testsupport::TModalScript boxes;
    boxes.Ok();
    Choose("SaveScreen");
    ::chmod(locked.c_str(), 0700);
    ASSERT_EQ(boxes.Texts.size(), 1u);
    EXPECT_NE(boxes.Texts[0].find("screen.txt"), std::string::npos) << boxes.Texts[0];

    NextFile = Dir("files") + "screen.txt";
    Choose("SaveScreen");
    std::ifstream in(NextFile, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(bytes.find("ready\r\n"), std::string::npos) << "the screen is saved where it may be";
}

// File dialog filters from the commands' filter strings: "*.*" is every
// file, and a programs filter ("*.exe") comes after "All files".
TEST(EditFilters, DesignFiltersBecomeDialogFilters) {
    EXPECT_EQ(TkvMainForm::QtFilter("Text files (*.txt)|*.txt|All files (*.*)|*.*"),
              "Text files (*.txt);;All files (*)");
    EXPECT_EQ(TkvMainForm::QtFilter("Executable files (*.exe)|*.exe|All files (*.*)|*.*"),
              "All files (*);;Executable files (*.exe)");
    EXPECT_EQ(TkvMainForm::QtFilter("Sounds|*.wav;*.WAV"), "Sounds (*.wav *.WAV)");
}

TEST_F(EditTest, SaveWithoutSessionAsksNothing) {
    testsupport::TModalScript none;
    NextFile = Dir("files") + "never.txt";
    int asked = 0;
    Form->ChooseFileName = [&](const std::string&, bool) {
        ++asked;
        return NextFile;
    };
    Choose("SaveScreen");
    Choose("SaveBuffer");
    Choose("Upload");
    Choose("LoadTrace");
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(std::filesystem::exists(NextFile));
}

TEST_F(EditTest, FindNextScrollsToAHitFarBackAndSelectsIt) {
    std::string text;
    text += "the needle is here\r\n";
    for (int i = 0; i < 400; ++i)
        text += "filler line " + std::to_string(i) + "\r\n";
    Rec.Greeting = text + "ready\r\n";
    ASSERT_TRUE(ConnectRecorder());
    ASSERT_GT(S().Screen().TopRow(), 300);
    Choose("Find");
    TFForm* f = Form->FindForm;
    ASSERT_TRUE(f && f->isVisible());
    QApplication::setActiveWindow(f);
    QLineEdit* edit = f->FindComboBox->lineEdit();
    testsupport::TypeOver(edit, "NEEDLE");
    testsupport::SetChecked(f->DownRadio, true);
    QTest::mouseClick(f->ResetBtn, Qt::LeftButton);
    Choose("FindNext");
    ASSERT_TRUE(S().SelectionShown);
    const int row = S().SelTop() + S().Screen().ViewRow();
    std::string hit;
    for (int i = S().SelLeft(); i <= S().SelRight(); ++i)
        hit.push_back(static_cast<char>(S().Screen().Row(row).Cells[i].Char));
    EXPECT_EQ(hit, "needle");
    EXPECT_EQ(S().SelTop(), 0); // scrolled so that the hit is on the top row
    EXPECT_LT(S().Screen().ViewRow(), S().Screen().TopRow());
    if (const char* shot = std::getenv("BP_SCREENSHOT_DIR")) {
        Choose("Find");
        QApplication::processEvents();
        Form->grab().save(QString::fromUtf8(shot) + "/find-hit.png");
    }

    // Not found: the box, and the next step starts from the same place.
    testsupport::TModalScript boxes;
    boxes.Ok();
    testsupport::TypeOver(edit, "absent words");
    QTest::mouseClick(f->FindNextBtn, Qt::LeftButton);
    ASSERT_EQ(boxes.Texts.size(), 1u);
    EXPECT_EQ(boxes.Texts[0], "找不到 \"absent words\"");
    EXPECT_EQ(f->FindComboBox->itemText(0), "absent words");
    EXPECT_EQ(f->FindComboBox->itemText(1), "NEEDLE");
}

// With case matching on, the box searches for exactly what was typed, also
// when the history holds the same text in other letter case.
TEST_F(EditTest, CaseSensitiveFindSearchesForTheTypedText) {
    Rec.Greeting = "first NEEDLE-42 here\r\nthen needle-42 there\r\nready\r\n";
    ASSERT_TRUE(ConnectRecorder());
    Choose("Find");
    TFForm* f = Form->FindForm;
    ASSERT_TRUE(f && f->isVisible());
    QApplication::setActiveWindow(f);
    if (!f->CaseCheckBox->isChecked()) testsupport::ClickIndicator(f->CaseCheckBox);
    ASSERT_TRUE(f->CaseCheckBox->isChecked());
    QLineEdit* edit = f->FindComboBox->lineEdit();
    auto hit = [&] {
        std::string text;
        if (!S().SelectionShown) return text;
        const int row = S().SelTop() + S().Screen().ViewRow();
        for (int i = S().SelLeft(); i <= S().SelRight(); ++i)
            text.push_back(static_cast<char>(S().Screen().Row(row).Cells[i].Char));
        return text;
    };
    auto search = [&](const char* typed, bool enter) {
        QTest::mouseClick(f->ResetBtn, Qt::LeftButton);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, QString::fromLatin1(typed));
        if (enter)
            QTest::keyClick(edit, Qt::Key_Return);
        else
            QTest::mouseClick(f->FindNextBtn, Qt::LeftButton);
        QApplication::processEvents();
    };
    search("NEEDLE-42", true);
    EXPECT_EQ(hit(), "NEEDLE-42");
    ASSERT_EQ(f->FindComboBox->itemText(0), "NEEDLE-42");
    for (bool enter : {true, false}) {
        SCOPED_TRACE(enter ? "Enter" : "Find Next");
        search("needle-42", enter);
        EXPECT_EQ(f->FindComboBox->currentText(), "needle-42");
        EXPECT_EQ(hit(), "needle-42");
        EXPECT_EQ(f->FindComboBox->itemText(0), "needle-42");
    }
}

TEST_F(EditTest, FindSettingsReadBackAndBadOnesLoad) {
    const std::string path = Form->SettingsFileName;
    {
        win::TIniText ini = session::ReadProfile(path);
        ini.EraseSection("Find");
        ini.Set("Find", "Str", win::Utf8ToBig5("中文"));
        ini.Set("Find", "Direction", "7");
        ini.Set("Find", "CaseSensitive", "1");
        ini.Set("Find", "Left", "-99999");
        ini.Set("Find", "Top", "99999");
        session::WriteProfile(path, ini);
    }
    // The find window reads them as the command first opens it.
    ASSERT_TRUE(ConnectRecorder());
    Choose("Find");
    TFForm* f = Form->FindForm;
    ASSERT_TRUE(f && f->isVisible());
    QApplication::setActiveWindow(f);
    // The stored place lies off every screen: the window comes back onto one.
    bool onScreen = false;
    for (QScreen* screen : QGuiApplication::screens())
        onScreen = onScreen || screen->availableGeometry().intersects(f->frameGeometry());
    EXPECT_TRUE(onScreen) << f->x() << "," << f->y();
    EXPECT_EQ(f->FindComboBox->currentText(), QString::fromUtf8("中文"));
    EXPECT_TRUE(f->DownRadio->isChecked());
    EXPECT_TRUE(f->CaseCheckBox->isChecked());
    EXPECT_TRUE(f->FindNextBtn->isEnabled());
    testsupport::TypeOver(f->FindComboBox->lineEdit(), "");
    EXPECT_FALSE(f->FindNextBtn->isEnabled());
    testsupport::TypeOver(f->FindComboBox->lineEdit(), "word");
    testsupport::ClickIndicator(f->UpRadio);
    Form.reset(); // [Find] is written as the window goes
    std::ifstream in(path);
    std::string ini((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(ini.find("Str=word"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Direction=0"), std::string::npos);
}

TEST_F(EditTest, TraceStepsOneByteAtATimeThenRunsThroughUnpaused) {
    ASSERT_TRUE(ConnectRecorder());
    std::string data = "\x1b[1;33mtraced\x1b[m text\r\n";
    while (data.size() < (1u << 20))
        data += "\x1b[3" + std::to_string(data.size() % 8) + "mrow " + std::to_string(data.size()) +
                "\x1b[m\r\n";
    NextFile = WriteFile("trace.txt", TraceOf(data));
    // The screen before the replay, to predict the result.
    TScreenBuffer expect;
    expect.SetMaxBufferRows(S().Screen().MaxBufferRows());
    expect.SetColumns(S().Screen().Columns());
    expect.SetRows(S().Screen().Rows());

    Choose("LoadTrace");
    ASSERT_TRUE(Form->TraceBusy);
    TTraceDlg* dlg = Form->TraceDlg;
    ASSERT_TRUE(dlg);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(dlg->TraceMemo->toPlainText(), "1B ");
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(dlg->ContinueBtn, Qt::LeftButton);
        for (int k = 0; k < 5; ++k)
            QApplication::processEvents();
    }
    EXPECT_EQ(dlg->TraceMemo->toPlainText(), "1B 5B 31 3B ");
    // A second start only brings the window forward.
    Choose("LoadTrace");
    EXPECT_TRUE(Form->TraceBusy);

    S().ClearScreen();
    S().Screen().ClearHistory();
    QTest::mouseClick(dlg->DontStopCheckBox, Qt::LeftButton);
    ASSERT_TRUE(dlg->DontStopCheckBox->isChecked());
    ASSERT_TRUE(WaitFor([&] { return !Form->TraceBusy; }, 60000));
    EXPECT_TRUE(ScreenHas(S(), "row"));
}

TEST_F(EditTest, TraceWithoutDataLinesSaysSoAndFreesTheCommand) {
    ASSERT_TRUE(ConnectRecorder());
    testsupport::TModalScript boxes;
    boxes.Ok();
    boxes.Ok();
    NextFile = WriteFile("plain.txt", "no trace here\r\n  0x\r\n");
    Choose("LoadTrace");
    EXPECT_FALSE(Form->TraceBusy);
    NextFile = Dir("files") + "gone.txt";
    Choose("LoadTrace");
    EXPECT_FALSE(Form->TraceBusy);
    ASSERT_EQ(boxes.Texts.size(), 2u);
    EXPECT_EQ(boxes.Texts[0], "此檔案非追蹤檔的格式!");
    EXPECT_NE(boxes.Texts[1].find("gone.txt"), std::string::npos);
}

TEST_F(EditTest, PreferencesOkReachesTheSessions) {
    ASSERT_TRUE(ConnectRecorder());
    const QFont before = S().Font();
    TDetachedForm* win = Form->FormOf(&S());
    ASSERT_TRUE(win);
    win->showNormal();
    QApplication::processEvents();
    const QRect frame = win->geometry();
    // The system's font and colour pickers answer at once.
    Form->PreferenceDialogHook = [](TPreferenceDlg& d) {
        d.ChooseFont = [](QFont& f) {
            f.setPointSize(f.pointSize() + 6);
            return true;
        };
        d.ChooseColor = [](TColor& c) {
            c = 0x123456;
            return true;
        };
    };
    Preferences([](TPreferenceDlg& d) {
        testsupport::ClickTab(d.PageControl, 0);
        testsupport::TypeOverSpin(d.MaxBufferRowsSpinEdit, "3000");
        testsupport::ClickTab(d.PageControl, 1);
        testsupport::SetChecked(d.ApplyFontCheckBox, true);
        QTest::mouseClick(d.FontHotBitBtn, Qt::LeftButton);
        testsupport::ClickTab(d.PageControl, 3);
        testsupport::ClickIndicator(d.PaletteRadios[1]);
        QTest::mouseClick(d.TextForegroundSText, Qt::LeftButton);
        QTest::mouseClick(d.HttpHyperlinkSText, Qt::LeftButton);
        if (const char* shot = std::getenv("BP_SCREENSHOT_DIR"))
            d.grab().save(QString::fromUtf8(shot) + "/preferences-colours.png");
    });
    EXPECT_EQ(Form->LastPreferencePage, 3);
    EXPECT_EQ(Form->Settings.MaxBufferRows, 3000);
    EXPECT_EQ(S().Screen().MaxBufferRows(), 3000);
    EXPECT_EQ(Form->Settings.FgColors[1], 0x123456u);
    EXPECT_EQ(S().FgColorTable()[1], 0x123456u);
    EXPECT_EQ(S().HttpHyperlinkColor, 0x123456u);
    // The window grew for the bigger font (the screen then fits its font to
    // the client, rounding included), its left edge where it was.
    EXPECT_GT(S().Font().pointSize(), before.pointSize());
    EXPECT_EQ(win->geometry().left(), frame.left());
    EXPECT_GT(win->geometry().width(), frame.width());
    EXPECT_GT(win->geometry().height(), frame.height());
    EXPECT_TRUE(Form->Action("SetPreference")->isEnabled());
}

// Copy-on-select applies as the dialog closes: the copy commands follow at
// once. With right-button copy on, a right click pastes through the paste
// command, so the text reaches the peer as a typed paste would.
TEST_F(EditTest, CopyOnSelectAppliesAtOnceAndTheRightButtonPastes) {
    ASSERT_TRUE(ConnectRecorder());
    Form->Settings.CopyMark = false;
    Form->UpdateCommands();
    ASSERT_TRUE(Form->Action("Copy")->isEnabled());
    Preferences([](TPreferenceDlg& d) {
        testsupport::ClickTab(d.PageControl, 0);
        testsupport::SetChecked(d.CopyMarkCheckBox, true);
        testsupport::SetChecked(d.RightBtnCopyCheckBox, true);
    });
    EXPECT_TRUE(Form->Settings.CopyMark);
    EXPECT_FALSE(Form->Action("Copy")->isEnabled());
    EXPECT_FALSE(Form->Action("CopyAnsi")->isEnabled());
    EXPECT_TRUE(Form->Action("Paste")->isEnabled());

    QApplication::clipboard()->setText("pasted");
    QTest::mouseClick(&S(), Qt::RightButton, {}, S().CellRect(2, 2).center());
    EXPECT_TRUE(WaitFor([&] {
        return Payload(Rec.Received()).find("pasted") != std::string::npos;
    })) << Payload(Rec.Received());
    EXPECT_TRUE(Form->Action("Paste")->isEnabled()); // given back after the paste
}

TEST_F(EditTest, PreferencesCancelChangesNothing) {
    const TMainSettings before = Form->Settings;
    Preferences(
        [](TPreferenceDlg& d) {
            testsupport::ClickTab(d.PageControl, 0);
            testsupport::TypeOverSpin(d.MaxBufferRowsSpinEdit, "4000");
            EXPECT_EQ(d.MaxBufferRowsSpinEdit->value(), 4000); // typed, then cancelled
            testsupport::ClickTab(d.PageControl, 3);
            QTest::mouseClick(d.DefaultNormalSpeedButton, Qt::LeftButton);
        },
        false);
    EXPECT_TRUE(Form->Settings == before);
}

TEST_F(EditTest, PreferencesClearButtonsEmptyTheHostHistoryAndEveryBuffer) {
    ASSERT_TRUE(ConnectRecorder());
    for (int i = 0; i < 60; ++i)
        S().WriteStr("history line\r\n");
    ASSERT_GT(S().Screen().RowCount(), S().Screen().Rows());
    Drag(0, 2, 10, 3);
    ASSERT_TRUE(S().SelectionShown);
    Form->HostNameComboBox->addItem(QStringLiteral("127.0.0.9"));
    std::ofstream(Form->SettingsFileName, std::ios::binary)
        << "[Hosts]\r\n0=127.0.0.9\r\n[Other]\r\nKept=1\r\n";
    // Each button asks first; both questions are answered yes.
    Preferences(
        [](TPreferenceDlg& d) {
            testsupport::ClickTab(d.PageControl, 0);
            QTest::mouseClick(d.ClearHostButton, Qt::LeftButton);
            QTest::mouseClick(d.ClearBufferButton, Qt::LeftButton);
        },
        false, 2);
    EXPECT_EQ(Form->HostNameComboBox->count(), 0);
    EXPECT_EQ(Form->HostNameComboBox->toolTip(), QString::fromUtf8("位址"));
    std::ifstream in(Form->SettingsFileName, std::ios::binary);
    const std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(ini.find("[Hosts]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Kept=1"), std::string::npos) << ini;
    EXPECT_EQ(S().Screen().RowCount(), S().Screen().Rows());
    EXPECT_FALSE(S().SelectionShown);
}

TEST_F(EditTest, PopupKeepsTheLinkItOpenedOver) {
    Rec.Greeting = "see http://127.0.0.1/page here\r\nready\r\n";
    ASSERT_TRUE(ConnectRecorder());
    ASSERT_TRUE(WaitFor([&] { return !S().Hyperlinks().empty(); }));
    const THyperlinkInfo link = S().Hyperlinks()[0];
    const QPoint over = S().CellRect(link.Col + 3, link.Line - S().Screen().ViewRow()).center();
    const QPoint off = S().CellRect(link.Col + 40, link.Line - S().Screen().ViewRow()).center();
    // The pop-up opened by a right click on the screen over the link.
    auto popup = [&](const char* command) {
        QTest::mouseMove(&S(), over);
        ASSERT_EQ(S().HoverLinkText, "http://127.0.0.1/page");
        testsupport::RightClickMenu(&S(), over);
        QTest::mouseMove(&S(), off); // the mouse leaves the link for the pop-up
        ASSERT_EQ(S().HoverLinkText, "");
        EXPECT_TRUE(sessiontest::ClickMenuItem(Form->DetachedFormPopupMenu,
                                               Form->Action(QString::fromLatin1(command))));
    };
    popup("CopyHyperlink");
    EXPECT_EQ(QApplication::clipboard()->text(), "http://127.0.0.1/page");
    // Going to it acts as a click on the link did.
    std::string opened;
    Form->OpenUrlHandler = [&](const std::string& url) { opened = url; };
    popup("GotoHyperlink");
    EXPECT_NE(opened.find("127.0.0.1/page"), std::string::npos) << opened;
}

// The print font is asked on the session's own printer font: the screen's
// face is offered, and an unchanged OK prints it upright.
TEST_F(EditTest, PrintFontOpensOnTheSessionsUprightFace) {
    if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a printer is set up";
    ASSERT_TRUE(ConnectRecorder());
    const QFont before = S().PrinterFont();
    const QString face = QFontInfo(before).family();
    NextFile = Dir("print") + "font.pdf";
    QString opened;
    bool italic = true, offered = false;
    testsupport::TModalScript modal;
    modal.Then([&](QDialog* d) {
        auto* fd = qobject_cast<QFontDialog*>(d);
        if (fd) {
            opened = fd->currentFont().family();
            italic = fd->currentFont().italic();
            for (QListView* list : fd->findChildren<QListView*>())
                offered = offered || !list->model()
                                          ->match(list->model()->index(0, 0), Qt::DisplayRole, face,
                                                  1, Qt::MatchExactly)
                                          .isEmpty();
            if (auto* box = fd->findChild<QDialogButtonBox*>())
                QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
        }
        if (d->isVisible()) d->reject();
    });
    Choose("PrintScreen");
    EXPECT_EQ(opened, face);
    EXPECT_FALSE(italic);
    EXPECT_TRUE(offered) << "the screen's face is in the list";
    EXPECT_FALSE(S().PrinterFont().italic());
    EXPECT_EQ(QFontInfo(S().PrinterFont()).family(), face);
    EXPECT_TRUE(std::filesystem::exists(NextFile));
}

// ---- Printing --------------------------------------------------------------

struct PrintTest : EditTest {
    void SetUp() override {
        EditTest::SetUp();
        if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a printer is set up";
        Form->ChoosePrintFont = [this](QFont& f) {
            ++FontAsked;
            if (!FontOk) return false;
            f = PrintFont;
            return true;
        };
        Form->ChooseFileName = [this](const std::string& filter, bool save) {
            Asked.push_back(filter);
            EXPECT_TRUE(save);
            return NextFile;
        };
        PrintFont = QFont(QStringLiteral("Monospace"));
        PrintFont.setPointSize(10);
    }
    // Connects to a peer that shows `rows` numbered lines first.
    bool ConnectWithRows(int rows) {
        std::string text;
        for (int i = 0; i < rows; ++i)
            text += "history row " + std::to_string(i) + "\r\n";
        Rec.Greeting = text + "ready\r\n";
        return ConnectRecorder();
    }
    int FontAsked = 0;
    bool FontOk = true;
    QFont PrintFont;
    std::vector<std::string> Asked;
};

TEST_F(PrintTest, BufferOfFiveHundredRowsFillsTheRightNumberOfPdfPages) {
    ASSERT_TRUE(ConnectWithRows(500));
    ASSERT_GE(S().Screen().TopRow(), 500 - S().Screen().Rows());
    NextFile = Dir("print") + "buffer.pdf";
    testsupport::TModalScript none; // no error box
    Choose("PrintBuffer");
    ASSERT_EQ(Asked.size(), 1u) << "no printer: a PDF file is asked for";
    EXPECT_NE(Asked[0].find("*.pdf"), std::string::npos) << Asked[0];
    EXPECT_EQ(S().PrinterFont().pointSize(), 10);

    // The title, then every row from the first of the history to the last
    // of the screen.
    const int lines = 1 + S().Screen().TopRow() + S().Screen().Rows();
    const int perPage = LinesPerPage(Form->Printer(), PrintFont);
    ASSERT_GT(perPage, 20);
    ASSERT_LT(perPage, 200) << "a 10 point font on paper";
    EXPECT_EQ(PdfPages(NextFile), (lines + perPage - 1) / perPage);

    // The printout of the shown rows is one page.
    QPrinter screen(QPrinter::HighResolution);
    screen.setOutputFormat(QPrinter::PdfFormat);
    screen.setOutputFileName(QString::fromStdString(Dir("print") + "screen.pdf"));
    S().SetPrinterFont(PrintFont);
    EXPECT_EQ(S().PrintScreen(screen), 1);
    EXPECT_EQ(PdfPages(Dir("print") + "screen.pdf"), 1);
}

TEST_F(PrintTest, LinesThatFillTheLastPageExactlyAddNoEmptyPage) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string path = Dir("print") + "exact.pdf";
    printer.setOutputFileName(QString::fromStdString(path));
    const int perPage = LinesPerPage(printer, PrintFont);
    ASSERT_GT(perPage, 1);
    // With the title, exactly two full pages; one more line starts a third.
    std::vector<std::string> lines(static_cast<std::size_t>(2 * perPage - 1), "text");
    EXPECT_EQ(screen::PrintTextLines(printer, PrintFont, "title", lines), 2);
    EXPECT_EQ(PdfPages(path), 2);
    lines.push_back("one more");
    EXPECT_EQ(screen::PrintTextLines(printer, PrintFont, "title", lines), 3);
    EXPECT_EQ(PdfPages(path), 3);
}

TEST_F(PrintTest, CancelledQuestionsPrintNothing) {
    ASSERT_TRUE(ConnectWithRows(10));
    testsupport::TModalScript none;
    // The file question cancelled: no file, no box, and the next print asks again.
    NextFile.clear();
    Choose("PrintBuffer");
    Choose("PrintScreen");
    EXPECT_EQ(Asked.size(), 2u);
    EXPECT_TRUE(std::filesystem::is_empty(Dir("print-cancel")));
    // The font question cancelled: nothing else is asked.
    FontOk = false;
    Choose("PrintScreen");
    EXPECT_EQ(FontAsked, 3);
    EXPECT_EQ(Asked.size(), 2u);
    EXPECT_TRUE(std::filesystem::is_empty(Dir("print-cancel")));
}

TEST_F(PrintTest, EachPrintWithoutAChosenFileAsksForItsOwn) {
    // A file asked for one printout is that printout's: the next print
    // asks again rather than writing over it.
    ASSERT_TRUE(ConnectWithRows(100));
    testsupport::TModalScript none;
    const std::string first = Dir("print") + "first.pdf";
    const std::string second = Dir("print") + "second.pdf";
    NextFile = first;
    Choose("PrintBuffer");
    NextFile = second;
    Choose("PrintScreen");
    ASSERT_EQ(Asked.size(), 2u);
    EXPECT_GT(PdfPages(first), 1);
    EXPECT_EQ(PdfPages(second), 1);
}

TEST_F(PrintTest, SetUpChoosesAPdfFileThatPrintsGoTo) {
    ASSERT_TRUE(ConnectWithRows(100));
    const std::string chosen = Dir("print") + "chosen.pdf";
    testsupport::TModalScript dialogs;
    dialogs.Then([&](QDialog* d) {
        auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* file = d->findChild<QLineEdit*>(QStringLiteral("filename"));
        if (!printers || !file) {
            ADD_FAILURE() << "no printer or file box";
            d->reject();
            return;
        }
        // Print to a file, the last printer of the list.
        EXPECT_TRUE(testsupport::ChooseComboItem(printers, printers->count() - 1));
        testsupport::TypeOver(file, QString::fromStdString(chosen));
        testsupport::TModalScript::Answer(d, true);
    });
    Choose("SetupPrinter");
    EXPECT_EQ(Form->Printer().outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(Form->Printer().outputFileName().toStdString(), chosen);

    Choose("PrintBuffer");
    EXPECT_TRUE(Asked.empty()) << "the set-up's file is used";
    EXPECT_GT(PdfPages(chosen), 1);
    // A cancelled set-up keeps the choice.
    dialogs.Cancel();
    Choose("SetupPrinter");
    EXPECT_EQ(Form->Printer().outputFileName().toStdString(), chosen);
}

TEST_F(PrintTest, UnwritablePdfFileShowsTheFailure) {
    ASSERT_TRUE(ConnectWithRows(10));
    // A folder that is a file: no one can write below it.
    const std::string notFolder = WriteFile("not-a-folder", "x");
    NextFile = notFolder + "/out.pdf";
    testsupport::TModalScript boxes;
    boxes.Ok();
    Choose("PrintScreen");
    ASSERT_EQ(boxes.Texts.size(), 1u);
    EXPECT_NE(boxes.Texts[0].find("列印失敗"), std::string::npos) << boxes.Texts[0];
    EXPECT_NE(boxes.Texts[0].find("not-a-folder/out.pdf"), std::string::npos) << boxes.Texts[0];
    EXPECT_EQ(ReadAll(notFolder), "x");
}
