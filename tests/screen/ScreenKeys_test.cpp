#include "ScreenWidgets.h"

#include "platform/CodePage.h"
#include "screen/ScreenExport.h"

#include <QAction>
#include <QClipboard>
#include <QHBoxLayout>
#include <QInputMethodEvent>

#include <cstring>
#include <gtest/gtest.h>

namespace {
TKeyMapEntry Entry(std::uint8_t scan, bool keypad, std::uint8_t shift, bool ext,
                   std::string_view value) {
    TKeyMapEntry e;
    e.ScanCode = scan;
    e.Keypad = keypad;
    e.Shift = shift;
    e.Extended = ext;
    e.SetText(value);
    return e;
}

struct ScreenKeys : ::testing::Test {
    void SetUp() override {
        auto* layout = new QHBoxLayout(&Window);
        A = new TRecordingEmul(&Window);
        B = new TRecordingEmul(&Window);
        layout->addWidget(A);
        layout->addWidget(B);
        ASSERT_TRUE(ShowActive(Window));
        A->setFocus();
        QApplication::processEvents();
        TCustomVtEmul::ScrollLockOn = false;
    }
    QWidget Window;
    TRecordingEmul* A = nullptr;
    TRecordingEmul* B = nullptr;
};
} // namespace

TEST_F(ScreenKeys, OnlyTheFocusedScreenHooksKeys) {
    A->KeyTable[0] = Entry(59, false, 0, false, "\x1b[11~");
    B->KeyTable[0] = Entry(59, false, 0, false, "B-F1");
    EXPECT_TRUE(A->HookInstalled());
    EXPECT_FALSE(B->HookInstalled());
    QTest::keyClick(A, Qt::Key_F1);
    EXPECT_EQ(A->Sent, std::vector<std::string>{"\x1b[11~"});
    QTest::keyClick(A, Qt::Key_F1, Qt::ShiftModifier); // no entry for Shift+F1
    EXPECT_EQ(A->Sent.size(), 1u);

    QTest::mouseClick(B, Qt::LeftButton, {}, B->Cell(3, 3)); // a click takes the focus
    QApplication::processEvents();
    EXPECT_FALSE(A->HookInstalled());
    EXPECT_TRUE(B->HookInstalled());
    QTest::keyClick(B, Qt::Key_F1);
    EXPECT_EQ(B->Sent, std::vector<std::string>{"B-F1"});
    EXPECT_EQ(A->Sent.size(), 1u);
}

TEST_F(ScreenKeys, LettersTypedTextAndTheWindowsShortcuts) {
    int copied = 0;
    auto* copy = new QAction(&Window);
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    QObject::connect(copy, &QAction::triggered, [&] { ++copied; });
    Window.addAction(copy);

    QTest::keyClick(A, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(A, Qt::Key_C, Qt::NoModifier, 10);
    EXPECT_EQ(copied, 0); // the screen's Ctrl+C wins over the menu
    QKeyEvent caps(QEvent::KeyPress, Qt::Key_C, Qt::NoModifier, QStringLiteral("C"));
    QApplication::sendEvent(A, &caps);
    QTest::keyClick(A, Qt::Key_5);
    QTest::keyClick(A, Qt::Key_Return);
    QTest::keyClick(A, Qt::Key_Tab); // typed, not a focus move
    EXPECT_TRUE(A->hasFocus());
    EXPECT_EQ(A->Typed, std::string("\x03"
                                    "cC5\r\t"));
    QInputMethodEvent ime;
    ime.setCommitString(QStringLiteral("中"));
    QApplication::sendEvent(A, &ime);
    EXPECT_EQ(A->Typed.substr(6), "\xA4\xA4");
}

TEST_F(ScreenKeys, KeypadEntriesAndScrollKeys) {
    A->KeyTable[0] = Entry(72, true, 0, false, "kp8");
    A->KeyTable[1] = Entry(72, false, 0, true, "\x1b[A");
    QTest::keyClick(A, Qt::Key_8, Qt::KeypadModifier);
    QTest::keyClick(A, Qt::Key_Up);
    QTest::keyClick(A, Qt::Key_Up, Qt::KeypadModifier); // Num Lock off
    EXPECT_EQ(A->Sent, (std::vector<std::string>{"kp8", "\x1b[A", "\x1b[A"}));

    for (int i = 0; i < 100; ++i)
        A->WriteStr("\r\nx");
    const int top = A->TopRow();
    ASSERT_EQ(A->ViewRow(), top);
    QTest::keyClick(A, Qt::Key_Up, Qt::ControlModifier); // Ctrl alone scrolls
    EXPECT_EQ(A->ViewRow(), top - 1);
    QTest::keyClick(A, Qt::Key_ScrollLock);
    QTest::keyClick(A, Qt::Key_PageUp);
    EXPECT_EQ(A->ViewRow(), top - 1 - A->Rows());
    QTest::keyClick(A, Qt::Key_End);
    EXPECT_EQ(A->ViewRow(), top);
    EXPECT_EQ(A->Sent.size(), 3u); // scrolling sends nothing
    QTest::keyClick(A, Qt::Key_ScrollLock);
}

TEST_F(ScreenKeys, Big5BackspaceIsSentTwiceAndEchoedTwice) {
    A->KeyTable[0] = Entry(14, false, 0, false, "\x7f");
    A->KeyTable[1] = Entry(0x4B, false, 0, true, "\x1b[D");
    A->Big5BackSpace = A->Big5Arrow = true;
    A->LocalEcho = true;
    int backspaces = 0;
    A->BackspacePressed = [&](TBgCrt*) { ++backspaces; };
    A->WriteStr("ab\xA4\xA4");
    QTest::keyClick(A, Qt::Key_Backspace);
    EXPECT_EQ(A->Sent, (std::vector<std::string>{"\x7f", "\x7f"}));
    EXPECT_EQ(backspaces, 1);
    EXPECT_EQ(A->CursorX(), 6); // both echoed
    A->Sent.clear();
    A->GotoXY(4, A->CursorY());
    QTest::keyClick(A, Qt::Key_Left, Qt::ControlModifier); // Ctrl+Left never doubles
    EXPECT_EQ(A->Sent, std::vector<std::string>{"\x1b[D"});
    EXPECT_TRUE(TCustomVtEmul::CtrlArrow);
    // With OnKeyBuffer the bytes go there instead.
    std::string buffered;
    A->OnKeyBuffer = [&](TCustomVtEmul*, const char* b, int n) { buffered.append(b, n); };
    A->Sent.clear();
    QTest::keyClick(A, Qt::Key_Backspace);
    EXPECT_EQ(buffered, "\x7f");
    EXPECT_TRUE(A->Sent.empty());
}

TEST_F(ScreenKeys, CopyWithColoursReplaysToTheSameCells) {
    A->ProcessBuffer("\x1b[1;33;44mHi\x1b[0;5;4;31m!\x1b[0m there");
    A->SetSelection(0, 0, 3, 0);
    A->CopySelectionAnsi();
    const std::string ansi = win::QStringToBig5(QGuiApplication::clipboard()->text());
    B->ProcessBuffer(ansi);
    for (int c = 0; c < 4; ++c) {
        const TCell& x = A->Screen().ScreenRow(0).Cells[c];
        const TCell& y = B->Screen().ScreenRow(0).Cells[c];
        EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << c;
    }
}

TEST_F(ScreenKeys, ASplitColourBig5PairSurvivesTheClipboard) {
    // Each half of 一 (A4 40) in its own colour: the copy puts a colour
    // change between the two bytes, which has no text form of its own.
    A->ProcessBuffer("\x1b[31m\xa4\x1b[32m\x40\x1b[0m!");
    A->SetSelection(0, 0, 2, 0);
    A->CopySelectionAnsi();
    const std::string ansi = screen::ClipboardBig5();
    EXPECT_NE(ansi.find("\xa4\x1b["), std::string::npos);
    B->ProcessBuffer(ansi);
    for (int c = 0; c < 3; ++c) {
        const TCell& x = A->Screen().ScreenRow(0).Cells[c];
        const TCell& y = B->Screen().ScreenRow(0).Cells[c];
        EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << c;
    }
    // Text another program put there still arrives as Big5.
    QGuiApplication::clipboard()->setText(QStringLiteral("中文"));
    EXPECT_EQ(screen::ClipboardBig5(), "\xa4\xa4\xa4\xe5");
}
