// The site and search dialogs with their keys, and the office-style button.
#include "QuillonFixture.h"
#include "QuillonInput.h"

#include "platform/core/Big5.h"
#include "sitelist/FindSiteDialog.h"
#include "sitelist/OffBtn.h"
#include "sitelist/SetSiteDialog.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeWidget>

using namespace sitelist;

TEST_F(QuillonTest, SiteDialogEnablesOkByAliasAndRefusesWhatTheFileCannotHold) {
    TSetSiteDlg dlg;
    dlg.SetFields({"", "h", "23", ""});
    dlg.show();
    EXPECT_FALSE(dlg.OKBtn->isEnabled());
    QTest::keyClicks(dlg.AliasEdit, "ab");
    EXPECT_TRUE(dlg.OKBtn->isEnabled());
    dlg.PortEdit->setText("123456");
    EXPECT_EQ(dlg.PortEdit->text(), "12345");

    dlg.HostnameEdit->setText("h;x");
    dlg.OKBtnClick();
    EXPECT_TRUE(dlg.isVisible()); // stays open
    ASSERT_FALSE(Messages.empty());
    EXPECT_NE(Messages.back().indexOf(";"), -1);
    dlg.HostnameEdit->setText("h\u263A"); // no Big5 form
    dlg.OKBtnClick();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(Messages.back().toStdString(), NoBig5Message());

    dlg.HostnameEdit->setText("h");
    dlg.Memo->setPlainText("one\ntwo;three\n");
    dlg.OKBtnClick();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    TSiteFields f;
    std::string error;
    ASSERT_TRUE(dlg.Fields(f, error));
    EXPECT_EQ(f, (TSiteFields{"ab", "h", "12345", "one two;three"}));
}

TEST_F(QuillonTest, ModifyThroughTheSiteDialogRewritesTheLineOnlyWhenChanged) {
    PutList("/A\r\n-//s;h;23;r\r\n");
    TQuillonFrm& form = Open();
    ClickFolder(form, 0);
    ClickSite(form, 0);
    TSetSiteDlg* dlg = form.SetSiteDlg;
    auto clickOk = [dlg] {
        QTest::mouseClick(dlg->OKBtn, Qt::LeftButton, {}, dlg->OKBtn->rect().center());
    };
    QTimer::singleShot(0, clickOk);
    QTest::keyClick(&form, Qt::Key_M, Qt::AltModifier);
    EXPECT_FALSE(form.Sites().Modified);
    // The window system hands the activation back to the window (this test
    // platform does not on its own once a dialog has closed).
    form.activateWindow();
    for (int i = 0; i < 500 && QApplication::activeWindow() != &form; ++i)
        QTest::qWait(10);
    ASSERT_EQ(QApplication::activeWindow(), &form);
    QTimer::singleShot(0, [dlg, clickOk] {
        QTest::keyClick(dlg->Memo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(dlg->Memo, "new");
        QTest::keyClick(dlg->Memo, Qt::Key_Return);
        QTest::keyClicks(dlg->Memo, "remark");
        QTest::keyClick(dlg->Memo, Qt::Key_Return);
        clickOk();
    });
    QTest::keyClick(&form, Qt::Key_M, Qt::AltModifier);
    EXPECT_TRUE(form.Sites().Modified);
    EXPECT_EQ(form.Sites().Line(1), "-//s;h;23;new remark");
    EXPECT_EQ(Rows(), std::vector<std::string>{"s h 23 new remark"});
}

TEST_F(QuillonTest, FindDialogSearchesMovesIntoResultsAndConnectsOnlySitesWithAddresses) {
    std::string chinese = win::Utf8ToBig5("中文");
    TSiteList list;
    list.Assign("/Top\r\n-//" + chinese + ";h1;23;\r\n-//bare;;23;\r\n-/Sub\r\n--//abc;h3;x;\r\n");
    std::vector<std::pair<std::string, int>> connected;
    TFindSiteDlg dlg(list, "", [&](const TSiteFields& f, int port) {
        connected.push_back({f.Alias, port});
    });
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    EXPECT_EQ(dlg.ListView2->topLevelItemCount(), 0); // an empty stored keyword does not search
    QTest::keyClick(dlg.KeyWordEdit, Qt::Key_Return);
    EXPECT_EQ(dlg.ListView2->topLevelItemCount(), 3); // empty keyword: every site
    EXPECT_EQ(dlg.ListView2->topLevelItem(2)->text(3), "Top/Sub");
    EXPECT_TRUE(dlg.KeyWordEdit->hasFocus());
    // The button holds its own place beside the field and takes a mouse click.
    EXPECT_EQ(dlg.OfficeBtn->size(), QSize(70, 23));
    dlg.KeyWordEdit->setText("h3");
    QTest::mouseClick(dlg.OfficeBtn, Qt::LeftButton, {}, dlg.OfficeBtn->rect().center());
    EXPECT_EQ(dlg.ListView2->topLevelItemCount(), 1);

    dlg.KeyWordEdit->setText("a");
    dlg.OfficeBtn->KeyboardClick();
    ASSERT_EQ(dlg.ListView2->topLevelItemCount(), 2); // bare, abc; never inside 中文
    QTest::keyClick(dlg.KeyWordEdit, Qt::Key_Down);
    EXPECT_TRUE(dlg.ListView2->hasFocus());
    EXPECT_TRUE(dlg.ListView2->topLevelItem(0)->isSelected());
    QTest::keyClick(dlg.ListView2, Qt::Key_Return); // "bare" has no address
    EXPECT_TRUE(connected.empty());
    QTest::keyClick(dlg.ListView2, Qt::Key_Down);
    QTest::keyClick(dlg.ListView2, Qt::Key_Return);
    ASSERT_EQ(connected.size(), 1u);
    EXPECT_EQ(connected[0], (std::pair<std::string, int>{"abc", 23}));
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());

    TFindSiteDlg stored(list, "h1", nullptr); // a stored keyword searches at once
    EXPECT_EQ(stored.ListView2->topLevelItemCount(), 1);
}

TEST(OfficeButton, TypesPositionsAndLooks) {
    TOfficeButton b;
    EXPECT_EQ(b.size(), QSize(70, 23));
    EXPECT_TRUE(b.TabStop());
    EXPECT_EQ(b.Color(), 0xCCFFFFu);
    EXPECT_EQ(b.Position(), TGlyphPosition::bsLeft);
    b.SetControlType(TOffBtnType::bsUpButton);
    EXPECT_EQ(b.Position(), TGlyphPosition::bsTop);
    EXPECT_TRUE(b.ShowGlyph());
    b.SetPosition(TGlyphPosition::bsRight);
    EXPECT_EQ(b.Position(), TGlyphPosition::bsTop);
    b.SetControlType(TOffBtnType::bsButton);
    EXPECT_FALSE(b.ShowGlyph()); // office 2000 look: a push button has no glyph
    b.SetOffice2000Look(false);
    EXPECT_TRUE(b.ShowGlyph());
    EXPECT_EQ(b.Color(), 0xE1FFFFu);
    EXPECT_EQ(FirstGlyphOf(TOffBtnType::bsRadioButton, false), 5);
    EXPECT_EQ(FirstGlyphOf(TOffBtnType::bsRadioButton, true), 17);
    for (int i = 1; i <= 24; ++i)
        EXPECT_FALSE(TOfficeButton::BuiltinGlyph(i).isNull());
}

TEST(OfficeButton, WrapsLongCaptionsAndAutoHeightGrows) {
    TOfficeButton b;
    b.SetCaption("a rather long caption that cannot fit");
    EXPECT_GT(b.WrappedLines().size(), 1);
    b.SetAutoHeight(true);
    int lines = int(b.WrappedLines().size());
    EXPECT_EQ(b.height(), lines * QFontMetrics(b.font()).height() + 10);
    b.SetWordWrap(false);
    EXPECT_TRUE(b.WrappedLines().isEmpty());
    EXPECT_EQ(b.height(), QFontMetrics(b.font()).height() + 10);
}

namespace {
void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent e(type, at, w->mapToGlobal(at),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
} // namespace

TEST(OfficeButton, PressedLookSurvivesLeavingAndReleaseOutsideDoesNotClick) {
    TOfficeButton b;
    b.show();
    QSignalSpy clicks(&b, &TOfficeButton::Click);
    Mouse(&b, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    EXPECT_EQ(b.MouseState(), TOffBtnMouse::Down);
    Mouse(&b, QEvent::MouseMove, {200, 5}, Qt::LeftButton);
    EXPECT_EQ(b.MouseState(), TOffBtnMouse::PressedOutside);
    Mouse(&b, QEvent::MouseMove, {5, 5}, Qt::LeftButton);
    EXPECT_EQ(b.MouseState(), TOffBtnMouse::Down);
    Mouse(&b, QEvent::MouseMove, {200, 5}, Qt::LeftButton);
    Mouse(&b, QEvent::MouseButtonRelease, {200, 5}, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(b.MouseState(), TOffBtnMouse::Normal);

    Mouse(&b, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    Mouse(&b, QEvent::MouseButtonRelease, {5, 5}, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(b.MouseState(), TOffBtnMouse::Hot);
    // With a modal result the release ends hot tracking.
    b.SetModalResult(1);
    Mouse(&b, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    Mouse(&b, QEvent::MouseButtonRelease, {5, 5}, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(b.MouseState(), TOffBtnMouse::Normal);
}

TEST(OfficeButton, KeysClickTheDefaultTheCancelAndTheAccelerator) {
    QDialog dlg;
    auto* edit = new QLineEdit(&dlg);
    auto* ok = new TOfficeButton(&dlg);
    ok->SetCaption("&Go");
    ok->SetDefault(true);
    auto* cancel = new TOfficeButton(&dlg);
    cancel->SetCancel(true);
    cancel->SetModalResult(QDialog::Rejected + 2);
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    edit->setFocus();
    QSignalSpy okClicks(ok, &TOfficeButton::Click);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(okClicks.count(), 1);
    QTest::keyClick(edit, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(okClicks.count(), 2);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(dlg.result(), QDialog::Rejected + 2);
    // Disabled, the glyph is the built-in disabled one.
    ok->setEnabled(false);
    EXPECT_EQ(ok->CurrentGlyph(), TOfficeButton::BuiltinGlyph(2));
}
