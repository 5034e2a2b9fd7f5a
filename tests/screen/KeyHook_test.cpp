#include "screen/KeyEvents.h"
#include "screen/KeyHook.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace screen;

namespace {
// A focusable stand-in for a screen whose hook records what it saw.
class TFakeScreen : public QWidget {
public:
    explicit TFakeScreen(QWidget* parent) : QWidget(parent) {
        setFocusPolicy(Qt::StrongFocus);
        Hook = new TKeyHook(
            this,
            [this](QKeyEvent& e) {
                Seen.push_back(KeyDownFromEvent(e, false));
                return e.key() != Qt::Key_Escape;
            },
            [](const QKeyEvent& e) { return e.key() == Qt::Key_F1; });
    }
    TKeyHook* Hook;
    std::vector<TKeyDown> Seen;
    int KeyPresses = 0;

protected:
    void focusInEvent(QFocusEvent* e) override {
        QWidget::focusInEvent(e);
        Hook->Install();
    }
    void focusOutEvent(QFocusEvent* e) override {
        QWidget::focusOutEvent(e);
        Hook->Remove();
    }
    void keyPressEvent(QKeyEvent*) override { ++KeyPresses; }
};
} // namespace

TEST(KeyHook, OnlyTheFocusedScreensHookIsActive) {
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* a = new TFakeScreen(&window);
    auto* b = new TFakeScreen(&window);
    layout->addWidget(a);
    layout->addWidget(b);
    int fired = 0;
    auto* f1 = new QAction(&window);
    f1->setShortcut(QKeySequence(Qt::Key_F1));
    QObject::connect(f1, &QAction::triggered, [&] { ++fired; });
    window.addAction(f1);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    a->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(a->Hook->Installed());
    EXPECT_FALSE(b->Hook->Installed());
    QTest::keyClick(a, Qt::Key_F5);
    ASSERT_EQ(a->Seen.size(), 1u);
    EXPECT_EQ(a->Seen[0].Scan, 0x3F);
    EXPECT_EQ(a->Seen[0].VK, 116);
    EXPECT_EQ(a->KeyPresses, 0); // consumed by the hook
    QTest::keyClick(a, Qt::Key_Escape);
    EXPECT_EQ(a->KeyPresses, 1); // left to the screen

    b->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(a->Hook->Installed());
    EXPECT_TRUE(b->Hook->Installed());
    QTest::keyClick(b, Qt::Key_F6);
    EXPECT_EQ(a->Seen.size(), 2u); // F5 and Escape, nothing more
    EXPECT_EQ(b->Seen.size(), 1u);

    // A key the table consumes wins over the window's shortcut.
    QTest::keyClick(b, Qt::Key_F1);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(b->Seen.size(), 2u);
    // Without the focus no hook claims it and the shortcut fires.
    b->clearFocus();
    QApplication::processEvents();
    EXPECT_FALSE(b->Hook->Installed());
    QTest::keyClick(&window, Qt::Key_F1);
    EXPECT_EQ(fired, 1);
}

TEST(KeyEvents, KeypadModifiersAndNativeCodes) {
    auto down = [](int key, Qt::KeyboardModifiers m, const QString& text = {}, quint32 native = 0) {
        QKeyEvent e(QEvent::KeyPress, key, m, native, 0, 0, text);
        return KeyDownFromEvent(e, false);
    };
    TKeyDown d = down(Qt::Key_8, Qt::KeypadModifier, QStringLiteral("8"));
    EXPECT_EQ(d.Scan, 0x48);
    EXPECT_FALSE(d.Extended);
    EXPECT_EQ(d.VK, 104);
    EXPECT_TRUE(IsKeypadKey(d.VK, d.Scan));
    d = down(Qt::Key_Up, Qt::KeypadModifier);
    EXPECT_EQ(d.VK, 38);
    EXPECT_FALSE(d.Extended);
    d = down(Qt::Key_Up, Qt::NoModifier);
    EXPECT_EQ(d.VK, 38);
    EXPECT_TRUE(d.Extended);
    d = down(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(d.Shift, ssCtrl | ssShift);
    EXPECT_EQ(d.VK, 'C');
    EXPECT_EQ(d.Scan, 0x2E);
    EXPECT_TRUE(down(Qt::Key_C, Qt::NoModifier, QStringLiteral("C")).CapsLock);
    EXPECT_FALSE(down(Qt::Key_C, Qt::NoModifier, QStringLiteral("c")).CapsLock);
    d = down(Qt::Key_Exclam, Qt::ShiftModifier, QStringLiteral("!"));
    EXPECT_EQ(d.Scan, 0x02);
    EXPECT_EQ(d.VK, '1');
    // A native X key code wins over the Qt key: 119 is Delete.
    d = down(Qt::Key_Delete, Qt::NoModifier, {}, 119);
    EXPECT_EQ(d.Scan, 0x53);
    EXPECT_TRUE(d.Extended);
    EXPECT_EQ(d.VK, 46);
    d = down(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(d.Scan, 0x1C);
    EXPECT_TRUE(d.Extended);
    EXPECT_EQ(d.VK, 13);
}
