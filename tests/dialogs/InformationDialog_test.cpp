// The start-up question box: its buttons speak Chinese like its question,
// and each answers as its caption says.
#include "dialogs/InformationDialog.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Opens the box, clicks the named button once it shows; the dialog's result.
int AnswerWith(const char* button) {
    TInformationDlg dlg(QString::fromUtf8("你要讓Brannoc成為預設的Telnet程式嗎?"),
                        QString::fromUtf8("下次不要再詢問"));
    QTimer::singleShot(0, &dlg, [&] {
        QTest::mouseClick(dlg.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    });
    return dlg.exec();
}

} // namespace

TEST(InformationDialog, YesAndNoAreChineseAndAnswerAsTheySay) {
    TInformationDlg dlg(QStringLiteral("?"), QStringLiteral("!"));
    auto* yes = dlg.findChild<QPushButton*>(QStringLiteral("YesButton"));
    auto* no = dlg.findChild<QPushButton*>(QStringLiteral("NoButton"));
    ASSERT_TRUE(yes && no);
    EXPECT_EQ(yes->text(), QString::fromUtf8("是(&Y)"));
    EXPECT_EQ(no->text(), QString::fromUtf8("否(&N)"));
    EXPECT_TRUE(yes->isDefault());
    EXPECT_EQ(AnswerWith("YesButton"), QDialog::Accepted);
    EXPECT_EQ(AnswerWith("NoButton"), QDialog::Rejected);
}
