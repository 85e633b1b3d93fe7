// The recording hook over the program's own windows: key and mouse button events reach the
// target window as the registered messages of the hook mode with their records; keys are held
// back from our widgets (the lock keys excepted) and nothing arrives once it is disarmed.
#include "InputHook.h"
#include "AppMessages.h"
#include "WindowImplBase.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

struct Delivered {
    UINT message;
    WPARAM wParam;
    KeyHookRecord key;
    MouseHookRecord mouse;
};

class TargetWindow : public WindowImplBase {
public:
    QString GetWindowClassName() const override { return QStringLiteral("HookTarget"); }
    QString GetSkinFile() const override { return {}; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        const CAppMessages& m = AppMessages();
        if (message != 0 &&
            (message == m.hookKeyKbMacro || message == m.hookKeyMsMacro ||
             message == m.hookKeyKbMacroLater || message == m.hookKeyMsMacroLater)) {
            Delivered d{message, wParam, {}, {}};
            // the records live only while the message is delivered
            if (message == m.hookKeyKbMacro || message == m.hookKeyKbMacroLater)
                d.key = *reinterpret_cast<const KeyHookRecord*>(lParam);
            else
                d.mouse = *reinterpret_cast<const MouseHookRecord*>(lParam);
            delivered.push_back(d);
            handled = true;
            return 0;
        }
        return WindowImplBase::HandleMessage(message, wParam, lParam, handled);
    }
    std::vector<Delivered> delivered;
};

class InputHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterHookAndGameMessages();
        auto* layout = new QVBoxLayout(&window); // owned by the window
        edit = new QLineEdit(&window);           // owned by the window
        layout->addWidget(edit);
        window.resize(300, 120);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        edit->setFocus();
    }
    // A key event as X11 and Wayland give it: the Linux key code plus 8.
    void SendKey(QEvent::Type type, int key, quint32 linuxCode, bool autoRepeat = false) {
        QKeyEvent event(type, key, Qt::NoModifier, linuxCode + 8, 0, 0,
                        type == QEvent::KeyPress && key == Qt::Key_A ? QStringLiteral("a")
                                                                     : QString(),
                        autoRepeat);
        QApplication::sendEvent(edit, &event);
    }
    TargetWindow window;
    QLineEdit* edit = nullptr;
    CInputHook hook;
};

TEST_F(InputHookTest, KeysBecomeTheModesMessagesWithSetOneScanCodesAndAreHeldBack) {
    const CAppMessages& m = AppMessages();
    hook.Arm(4, &window);
    SendKey(QEvent::KeyPress, Qt::Key_A, 30);
    SendKey(QEvent::KeyPress, Qt::Key_A, 30, true); // auto-repeat
    SendKey(QEvent::KeyRelease, Qt::Key_A, 30);
    SendKey(QEvent::KeyPress, Qt::Key_Shift, 54); // right shift
    ASSERT_EQ(window.delivered.size(), 3u);
    EXPECT_EQ(window.delivered[0].message, m.hookKeyKbMacro);
    EXPECT_EQ(window.delivered[0].wParam, 0x100u);
    EXPECT_EQ(window.delivered[0].key.scanCode, 0x1Eu);
    EXPECT_EQ(window.delivered[0].key.flags, 0u);
    EXPECT_EQ(window.delivered[1].wParam, 0x101u);
    EXPECT_EQ(window.delivered[2].key.scanCode, 0x36u);
    EXPECT_EQ(window.delivered[2].key.flags, 1u) << "right shift with the E0 flag";
    EXPECT_TRUE(edit->text().isEmpty()) << "keys are held back from our widgets";
    // Caps Lock reaches the widget and is not recorded
    SendKey(QEvent::KeyPress, Qt::Key_CapsLock, 58);
    EXPECT_EQ(window.delivered.size(), 3u);

    EXPECT_TRUE(hook.Disarm());
    SendKey(QEvent::KeyPress, Qt::Key_A, 30);
    EXPECT_EQ(window.delivered.size(), 3u);
    EXPECT_EQ(edit->text(), "a") << "typing works again";
    EXPECT_FALSE(hook.Disarm());
}

TEST_F(InputHookTest, MouseButtonsArriveOncePerEventWithTheXButtonNumber) {
    const CAppMessages& m = AppMessages();
    hook.Arm(16, &window);
    const QPoint inside(20, 10);
    QTest::mouseClick(edit, Qt::ForwardButton, Qt::NoModifier, inside);
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, inside);
    ASSERT_EQ(window.delivered.size(), 4u);
    EXPECT_EQ(window.delivered[0].message, m.hookKeyMsMacroLater);
    EXPECT_EQ(window.delivered[0].wParam, 0x020Bu);
    EXPECT_EQ(window.delivered[0].mouse.mouseData, 2u << 16);
    EXPECT_EQ(window.delivered[1].wParam, 0x020Cu);
    EXPECT_EQ(window.delivered[2].wParam, 0x0201u);
    EXPECT_EQ(window.delivered[3].wParam, 0x0202u);
    const QPoint global = edit->mapToGlobal(inside);
    EXPECT_EQ(window.delivered[2].mouse.x, global.x());
    EXPECT_EQ(window.delivered[2].mouse.y, global.y());
}

} // namespace
