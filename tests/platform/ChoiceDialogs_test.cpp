// The colour and font dialogs: what they open on and what they give back.
#include "platform/ColorDialog.h"
#include "platform/FontDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QTimer>

#include <functional>
#include <gtest/gtest.h>

namespace {

// Runs `answer` on the dialog of type D once it is open.
template <class D> void WhenOpen(std::function<void(D*)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
        ASSERT_TRUE(d);
        answer(d);
    });
}

} // namespace

// A stored 0x00BBGGRR colour opens as its RGB colour and comes back in the
// same order; Cancel leaves it.
TEST(ChoiceDialogs, ColourDialogReadsAndWritesBlueGreenRed) {
    std::uint32_t bgr = 0x00112233; // red 0x33, green 0x22, blue 0x11
    QColor opened;
    WhenOpen<QColorDialog>([&](QColorDialog* d) {
        opened = d->currentColor();
        d->setCurrentColor(QColor(0xAA, 0xBB, 0xCC));
        d->accept();
    });
    ASSERT_TRUE(win::ChooseColor(nullptr, bgr));
    EXPECT_EQ(opened, QColor(0x33, 0x22, 0x11));
    EXPECT_EQ(bgr, 0x00CCBBAAu);
    WhenOpen<QColorDialog>([](QColorDialog* d) { d->reject(); });
    EXPECT_FALSE(win::ChooseColor(nullptr, bgr));
    EXPECT_EQ(bgr, 0x00CCBBAAu);
}

// A family that is not installed opens on the family standing in for it,
// the one the screen shows, not on the toolkit's default.
TEST(ChoiceDialogs, FontDialogOpensOnTheFamilyActuallyShown) {
    QFont wanted(QStringLiteral("No Such Family Here"), 14);
    const QString shown = QFontInfo(wanted).family();
    QString opened;
    WhenOpen<QFontDialog>([&](QFontDialog* d) {
        opened = d->currentFont().family();
        d->reject();
    });
    EXPECT_FALSE(win::ChooseFont(nullptr, wanted));
    EXPECT_EQ(opened, shown);
    EXPECT_EQ(wanted.family(), QStringLiteral("No Such Family Here")); // Cancel keeps it
}
