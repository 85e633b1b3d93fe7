// The window contract: InitWindow before the first Notify, messages, modal result.
#include "TestWindow.h"

#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(WindowTest, InitWindowRunsAfterControlsExistAndBeforeTheFirstNotify) {
    UseTestSkin();
    TestWindow window;
    ASSERT_TRUE(window.Create(nullptr, "test", 0, 0, 400, 500));
    window.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.Of("windowinit").empty(); }, 2000));
    ASSERT_GE(window.log.size(), 2);
    EXPECT_EQ(window.log[0], "InitWindow");
    EXPECT_TRUE(window.controlsAtInit);
    EXPECT_EQ(window.events.front().type, "windowinit");
    EXPECT_EQ(window.size(), QSize(400, 500));
    EXPECT_EQ(window.windowTitle(), "test");
}

TEST(WindowTest, MissingLayoutLeavesAnEmptyWindowThatStillWorks) {
    UseTestSkin();
    TestWindow window("XML_MISSING");
    EXPECT_FALSE(window.Create(nullptr, "empty", 0, 0, 200, 100));
    EXPECT_FALSE(window.FindControl("apply_btn"));
    EXPECT_EQ(window.log.value(0), "InitWindow");
    window.Close(3);
    EXPECT_TRUE(window.IsClosed());
}

TEST(WindowTest, PostedAndSentMessagesReachTheHandler) {
    UseTestSkin();
    TestWindow window;
    window.Create(nullptr, "test", 0, 0, 400, 500);
    EXPECT_EQ(window.SendMessage(0xC001, 2, 3), 5);
    window.PostMessage(0xC002, 7, 0);
    EXPECT_EQ(window.messages.size(), 1u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.messages.size() == 2; }, 1000));
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[1].wParam, 7u);

    // From another thread the UI thread answers while it runs its loop.
    std::optional<LRESULT> answer;
    std::thread worker(
        [&] { answer = window.SendMessageTimeout(0xC003, 40, 2, std::chrono::seconds(5)); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.messages.size() == 3; }, 5000));
    worker.join();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, 42);

    // An answer that does not come in time is reported as none, not waited for.
    std::thread late(
        [&] { answer = window.SendMessageTimeout(0xC004, 1, 1, std::chrono::milliseconds(20)); });
    late.join(); // the UI thread is not running its loop here
    EXPECT_FALSE(answer.has_value());
    QTest::qWait(10); // the message is still handled afterwards
    EXPECT_EQ(window.messages.size(), 4u);
}

TEST(WindowTest, ShowModalReturnsTheCodeGivenToClose) {
    UseTestSkin();
    TestWindow window;
    window.Create(nullptr, "modal", 0, 0, 400, 500);
    window.CenterWindow();
    QTimer::singleShot(30, &window, [&window] { window.Close(7); });
    EXPECT_EQ(window.ShowModal(), 7);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
