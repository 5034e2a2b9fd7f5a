#include "screen/KeyEvents.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

using namespace screen;

TEST(KeyEvents, NativeCodesWinAndQtKeysStandInWithoutThem) {
    auto down = [](int key, Qt::KeyboardModifiers m, const QString& text = {}, quint32 native = 0) {
        QKeyEvent e(QEvent::KeyPress, key, m, native, 0, 0, text);
        return KeyDownFromEvent(e, false);
    };
    TKeyDown d = down(Qt::Key_Delete, Qt::NoModifier, {}, 119); // X key code of Delete
    EXPECT_EQ(d.Scan, 0x53);
    EXPECT_TRUE(d.Extended);
    EXPECT_EQ(d.VK, 46);
    d = down(Qt::Key_Exclam, Qt::ShiftModifier, QStringLiteral("!"));
    EXPECT_EQ(d.Scan, 0x02);
    EXPECT_EQ(d.VK, '1');
    EXPECT_EQ(d.Shift, ssShift);
    EXPECT_TRUE(down(Qt::Key_C, Qt::NoModifier, QStringLiteral("C")).CapsLock);
    EXPECT_FALSE(down(Qt::Key_C, Qt::ShiftModifier, QStringLiteral("C")).CapsLock);
}
