// The preferences dialog as a person sees it: controls a rule disables look
// disabled, whatever colour their group shows its caption in.
#include "dialogs/PreferenceDialog.h"

#include "support/ClickButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The darkest grey level among a widget's pixels: its text.
int DarkestLevel(QWidget* w) {
    const QImage img = w->grab().toImage();
    int darkest = 255;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            darkest = std::min(darkest, qGray(img.pixel(x, y)));
    return darkest;
}

} // namespace

TEST(PreferenceDialog, DisabledControlsInAColouredGroupLookDisabled) {
    TMainSettings s;
    s.GlobalPicture = true;
    s.Picture = true;
    TPreferenceDlg d;
    d.Load(s, false, false);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    QTabBar* tabs = d.PageControl->tabBar();
    int background = -1;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->tabText(i) == QString::fromUtf8("背景")) background = i;
    ASSERT_GE(background, 0);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(background).center());
    ASSERT_EQ(d.PageControl->currentIndex(), background);
    QApplication::processEvents();

    ASSERT_TRUE(d.PictureLabel->isEnabled());
    const int live = DarkestLevel(d.PictureLabel);
    // Turning the picture off disables its controls inside the group.
    testsupport::ClickIndicator(d.PictureCheckBox);
    ASSERT_FALSE(d.PictureCheckBox->isChecked());
    ASSERT_FALSE(d.PictureLabel->isEnabled());
    ASSERT_TRUE(d.PictureGroupBox->isEnabled());
    const int dead = DarkestLevel(d.PictureLabel);
    EXPECT_GT(dead, live + 40) << "a disabled label is drawn lighter than a live one";
    // The same when the whole group is off.
    testsupport::ClickIndicator(d.ApplyPictureCheckBox);
    ASSERT_FALSE(d.TransparentCheckBox->isEnabled());
    EXPECT_GT(DarkestLevel(d.TransparentCheckBox), live + 40);
}
