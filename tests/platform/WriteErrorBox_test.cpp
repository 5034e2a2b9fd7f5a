#include "platform/WriteErrorBox.h"
#include "platform/core/IniFile.h"
#include "platform/core/WriteError.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

using namespace win;

TEST(WriteErrorBox, ShowsOneErrorBoxPerRun) {
    InstallWriteErrorBox();
    RearmWriteError();
    QStringList seen;
    int boxes = 0;
    // The box is modal: look at it from a timer while it runs, then close it.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++boxes;
            seen << box->text();
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
            box->accept();
        }
    });
    closer.start(10);
    TIniFile ini("/proc/no-such-folder/Brannoc.ini");
    for (int i = 0; i < 3; ++i) {
        try {
            ini.WriteString("Windows", "Top", "0");
        } catch (const EIniFileException&) {
            ShowWriteErrorOnce(ini.FileName());
        }
    }
    closer.stop();
    ASSERT_EQ(boxes, 1);
    EXPECT_EQ(seen.value(0), QStringLiteral("無法寫入 /proc/no-such-folder/Brannoc.ini!"));
}
