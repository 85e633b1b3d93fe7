// The recorder's rows: where recorded actions go, the delays of the three time modes, the
// repeat filter, the stop button's click, mouse insertion and row moves.
#include "MacroRecorder.h"

#include <gtest/gtest.h>

namespace vpc::test {
namespace {

using namespace panels::macro;

constexpr std::uint32_t kDown = 0x100;
constexpr std::uint32_t kUp = 0x101;

KeyHookEvent Key(std::uint32_t message, std::uint32_t scan, bool extended = false) {
    KeyHookEvent e;
    e.message = message;
    e.scanCode = scan;
    e.flags = extended ? 1 : 0;
    return e;
}

MouseHookEvent Mouse(std::uint32_t message, std::uint32_t xButton = 0, int x = 500, int y = 400) {
    MouseHookEvent e;
    e.message = message;
    e.x = x;
    e.y = y;
    e.mouseData = xButton << 16;
    return e;
}

std::vector<std::string> Delays(const CMacroRecorder& r) {
    std::vector<std::string> delays;
    for (const MacroRow& row : r.Rows())
        delays.push_back(row.delayText);
    return delays;
}

std::string Describe(const MacroRow& row) {
    return row.action["Action"].asString() + " " + std::to_string(row.action["Button"].asInt()) +
           "/" + std::to_string(row.action["Type"].asInt());
}

TEST(MacroRecorder, RecordedDelaysArePausesUntilTheNextAction) {
    CMacroRecorder r;
    r.BeginRecording(TimeMode::Recorded, 1000, "");
    EXPECT_TRUE(r.RecordKey(RecordPosition::Append, Key(kDown, 0x1E), 1000)); // A
    EXPECT_EQ(Delays(r), (std::vector<std::string>{"0"}));
    r.RecordKey(RecordPosition::Append, Key(kUp, 0x1E), 1120);
    EXPECT_EQ(Delays(r), (std::vector<std::string>{"120", "0"}));
    r.RecordKey(RecordPosition::Append, Key(kDown, 0x30), 1300); // B
    r.RecordKey(RecordPosition::Append, Key(kUp, 0x30), 1380);
    EXPECT_EQ(Delays(r), (std::vector<std::string>{"120", "180", "80", "0"}));
    EXPECT_EQ(Describe(r.Rows()[0]), "down 4/10");
    EXPECT_EQ(Describe(r.Rows()[3]), "up 5/10");
    const std::vector<Json::Value> events = r.Events();
    EXPECT_EQ(events[1]["Delay"].asString(), "180");
    EXPECT_EQ(r.Selected(), 3);
}

TEST(MacroRecorder, AHeldKeyGivesOneDownRowAndTheMemoryIsClearedByANewRecording) {
    CMacroRecorder r;
    r.BeginRecording(TimeMode::Ignored, 0, "");
    for (int repeat = 0; repeat < 5; ++repeat)
        r.RecordKey(RecordPosition::Append, Key(kDown, 0x2A), 10 * repeat); // left shift
    r.RecordKey(RecordPosition::Append, Key(kUp, 0x2A), 90);
    ASSERT_EQ(r.RowCount(), 2);
    EXPECT_EQ(Describe(r.Rows()[0]), "down 2/9");
    // a recording stopped while the key was down: the next one still takes its press
    r.RecordKey(RecordPosition::Append, Key(kDown, 0x1D), 100); // left Ctrl, not released
    r.BeginRecording(TimeMode::Ignored, 200, "");
    EXPECT_TRUE(r.RecordKey(RecordPosition::Append, Key(kDown, 0x1D), 210));
    EXPECT_EQ(r.RowCount(), 4);
}

TEST(MacroRecorder, FixedAndIgnoredTimeModes) {
    CMacroRecorder ignored;
    ignored.BeginRecording(TimeMode::Ignored, 0, "");
    for (std::uint64_t t : {0u, 300u, 900u})
        ignored.RecordKey(RecordPosition::Append, Key(t == 300 ? kUp : kDown, 0x1E), t);
    EXPECT_EQ(Delays(ignored), (std::vector<std::string>{"0", "0", "0"}));

    CMacroRecorder fixed;
    fixed.BeginRecording(TimeMode::Fixed, 0, "50");
    fixed.RecordKey(RecordPosition::Append, Key(kDown, 0x1E), 10);
    EXPECT_EQ(Delays(fixed), (std::vector<std::string>{"0"})) << "the first row until a second";
    fixed.RecordKey(RecordPosition::Append, Key(kUp, 0x1E), 700);
    fixed.RecordKey(RecordPosition::Append, Key(kDown, 0x30), 800);
    EXPECT_EQ(Delays(fixed), (std::vector<std::string>{"50", "50", "50"}));

    CMacroRecorder clamped;
    clamped.BeginRecording(TimeMode::Fixed, 0, "70000");
    EXPECT_EQ(clamped.FixedDelay(), 65535);
    EXPECT_EQ(clamped.ReadFixedDelay("65535"), std::nullopt) << "unchanged: the edit stays";
    EXPECT_EQ(clamped.ReadFixedDelay("abc"), std::optional<std::string>("0"));
}

TEST(MacroRecorder, AMeasuredPauseAbove65534Is65535) {
    CMacroRecorder r;
    r.BeginRecording(TimeMode::Recorded, 0, "");
    r.RecordKey(RecordPosition::Append, Key(kDown, 0x1E), 0);
    r.RecordKey(RecordPosition::Append, Key(kUp, 0x1E), 65534);
    r.RecordKey(RecordPosition::Append, Key(kDown, 0x30), 65534 + 65535);
    EXPECT_EQ(Delays(r), (std::vector<std::string>{"65534", "65535", "0"}));
}

TEST(MacroRecorder, MouseButtonsXButtonsAndTheStopButtonsOwnClick) {
    CMacroRecorder r;
    r.BeginRecording(TimeMode::Ignored, 0, "");
    const ScreenRect stop{480, 390, 560, 420};
    EXPECT_TRUE(r.RecordMouse(RecordPosition::Append, Mouse(0x0204), 0, stop)); // right down
    EXPECT_TRUE(r.RecordMouse(RecordPosition::Append, Mouse(0x020B, 2), 0, stop));
    EXPECT_FALSE(r.RecordMouse(RecordPosition::Append, Mouse(0x020B, 1), 0, stop))
        << "the second X button arrives as the same message";
    EXPECT_TRUE(r.RecordMouse(RecordPosition::Append, Mouse(0x020C, 1), 0, stop));
    EXPECT_FALSE(r.RecordMouse(RecordPosition::Append, Mouse(0x020B, 3), 0, stop));
    EXPECT_FALSE(r.RecordMouse(RecordPosition::Append, Mouse(0x0201, 0, 500, 400), 0, stop))
        << "inside the stop button";
    EXPECT_FALSE(r.RecordMouse(RecordPosition::Append, Mouse(0x0202, 0, 559, 419), 0, stop));
    EXPECT_TRUE(r.RecordMouse(RecordPosition::Append, Mouse(0x0201, 0, 560, 400), 0, stop))
        << "just outside it";
    ASSERT_EQ(r.RowCount(), 4);
    EXPECT_EQ(Describe(r.Rows()[0]), "down 2/1");
    EXPECT_EQ(Describe(r.Rows()[1]), "down 16/1");
    EXPECT_EQ(Describe(r.Rows()[2]), "up 8/1");
    EXPECT_EQ(Describe(r.Rows()[3]), "down 1/1");
}

TEST(MacroRecorder, BeforeAfterAndReplaceWorkOnTheSelectedRow) {
    CMacroRecorder r;
    r.BeginRecording(TimeMode::Fixed, 0, "40");
    r.RecordKey(RecordPosition::Before, Key(kDown, 0x1E), 0);
    EXPECT_EQ(r.RowCount(), 0) << "before needs a selected row";
    r.RecordKey(RecordPosition::Append, Key(kDown, 0x1E), 0); // A down
    r.RecordKey(RecordPosition::Append, Key(kUp, 0x1E), 0);   // A up
    r.Select(1);
    r.RecordKey(RecordPosition::Before, Key(kDown, 0x2E), 0); // C down before A up
    EXPECT_EQ(Describe(r.Rows()[1]), "down 6/10");
    EXPECT_EQ(r.Selected(), 2) << "A up stays selected";
    r.Select(0);
    r.RecordKey(RecordPosition::After, Key(kDown, 0x20), 0); // D down after A down
    EXPECT_EQ(Describe(r.Rows()[1]), "down 7/10");
    EXPECT_EQ(r.Selected(), 1);
    ASSERT_EQ(r.RowCount(), 4);
    // replace: B pressed over the selected row keeps its action and delay
    r.SetDelayText(1, "77");
    r.Select(1);
    Json::Value before = r.Rows()[1].action;
    r.BeginRecording(TimeMode::Ignored, 0, "");
    EXPECT_TRUE(r.RecordKey(RecordPosition::Replace, Key(kDown, 0x30), 0));
    EXPECT_TRUE(r.RecordKey(RecordPosition::Replace, Key(kUp, 0x30), 0));
    EXPECT_EQ(r.RowCount(), 4);
    EXPECT_EQ(Describe(r.Rows()[1]), "down 5/10");
    EXPECT_EQ(r.Rows()[1].delayText, "77");
    EXPECT_EQ(r.Rows()[1].action["Delay"], before["Delay"]);
}

TEST(MacroRecorder, InsertedMouseActionsTakeTheDistanceModulo256AndTheFixedDelay) {
    CMacroRecorder r;
    r.BeginRecording(TimeMode::Fixed, 0, "35");
    EXPECT_TRUE(r.InsertMouseAction(0x0200, 0, "300"));
    EXPECT_EQ(Describe(r.Rows()[0]), "down 44/4");
    EXPECT_EQ(r.Rows()[0].delayText, "35");
    EXPECT_TRUE(r.InsertMouseAction(0x020B, 1, ""));
    EXPECT_TRUE(r.InsertMouseAction(0x020C, 1, ""));
    EXPECT_EQ(Describe(r.Rows()[1]), "down 8/1");
    EXPECT_EQ(Describe(r.Rows()[2]), "up 8/1");
    EXPECT_TRUE(r.InsertMouseAction(0x0200, 3, "9"));
    EXPECT_EQ(Describe(r.Rows()[3]), "up 9/5");
    EXPECT_FALSE(r.InsertMouseAction(0x0200, 4, "9"));
    EXPECT_FALSE(r.InsertMouseAction(0x0203, 0, ""));
}

TEST(MacroRecorder, MovesAtTheEndsChangeNothingAndMovedRowsTakeTheirStoredDelay) {
    CMacroRecorder r;
    r.BeginRecording(TimeMode::Fixed, 0, "20");
    for (std::uint32_t scan : {0x1E, 0x30, 0x2E})
        r.RecordKey(RecordPosition::Append, Key(kDown, scan), 0);
    r.Select(0);
    EXPECT_FALSE(r.MoveActionUp());
    EXPECT_FALSE(r.MoveActionToTop());
    r.Select(2);
    EXPECT_FALSE(r.MoveActionDown());
    EXPECT_FALSE(r.MoveActionToBottom());
    r.SetDelayText(2, "999"); // edited, not saved
    EXPECT_TRUE(r.MoveActionToTop());
    EXPECT_EQ(Describe(r.Rows()[0]), "down 6/10");
    EXPECT_EQ(r.Rows()[0].delayText, "20") << "the stored delay comes back";
    EXPECT_TRUE(r.MoveActionToBottom());
    EXPECT_EQ(Describe(r.Rows()[2]), "down 6/10");
    r.Select(1);
    EXPECT_TRUE(r.DeleteAction());
    EXPECT_EQ(r.Selected(), -1);
    EXPECT_EQ(r.RowCount(), 2);
}

TEST(MacroRecorder, NoRowsBeyond4000) {
    CMacroRecorder r;
    std::vector<Json::Value> events(3999);
    for (Json::Value& e : events) {
        e["Action"] = "down";
        e["Button"] = 4;
        e["Type"] = 10;
        e["Delay"] = "70000";
    }
    r.Load(events);
    EXPECT_EQ(r.Rows()[0].delayText, "65535");
    r.BeginRecording(TimeMode::Ignored, 0, "");
    EXPECT_TRUE(r.RecordKey(RecordPosition::Append, Key(kDown, 0x1E), 0));
    EXPECT_FALSE(r.RecordKey(RecordPosition::Append, Key(kUp, 0x1E), 0));
    EXPECT_EQ(r.RowCount(), 4000);
}

} // namespace
} // namespace vpc::test
