// The headset's LED frame: the twelve reports of a frame, and a sender that sends a changed
// frame at once, an unchanged one only as a keep-alive, from its own thread.
#include "HeadsetLightFrame.h"

#include <gtest/gtest.h>

#include <condition_variable>

namespace vpc::devices::headset {
namespace {

using lighting::LedColor;

TEST(HeadsetLightFrameTest, TwelveReportsCarryTheScaledColoursInTheHeadsetsOrder) {
    std::vector<LedColor> leds(kHeadsetLedCount);
    leds[0] = {255, 255, 255, 255}; // the top is sent as 247
    leds[6] = {30, 60, 90, 255};
    leds[8] = {200, 100, 50, 128};
    leds[12] = {9, 18, 36, 255};
    const HeadsetLightFrame frame = BuildHeadsetLightFrame(leds);
    const std::vector<std::pair<int, int>> order = {
        {0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD}, {0x22, 0xAB}, {0x22, 0xAE},
        {0x44, 0xAB}, {0x44, 0xAE}, {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
    for (std::size_t r = 0; r < order.size(); ++r) {
        EXPECT_EQ(frame[r][0], 0xFF) << r;
        EXPECT_EQ(frame[r][1], order[r].first) << r;
        EXPECT_EQ(frame[r][2], order[r].second) << r;
        EXPECT_EQ(frame[r][3], 0) << r;
        for (std::size_t b = 11; b < 17; ++b)
            EXPECT_EQ(frame[r][b], 0) << r << " byte " << b;
    }
    const auto& redLow = frame[0];
    EXPECT_EQ(redLow[4], 247);
    EXPECT_EQ(redLow[10], 29);   // LED 6: 30 x 255 / 256
    EXPECT_EQ(frame[4][10], 59); // green of LED 6
    EXPECT_EQ(frame[8][10], 89); // blue of LED 6
    EXPECT_EQ(frame[1][5], 100); // red of LED 8: 200 x 128 / 256
    EXPECT_EQ(frame[5][5], 50);  // green of LED 8
    EXPECT_EQ(frame[9][5], 25);  // blue of LED 8
    EXPECT_EQ(frame[1][9], 8);   // red of LED 12, the last of the upper block
    EXPECT_EQ(frame[9][9], 35);
    EXPECT_EQ(frame[1][10], 0) << "the upper blocks hold six LEDs";
    EXPECT_EQ(frame[3], (HeadsetLightReport{0xFF, 0x44, 0xAD, 0, 0, 100, 0, 0, 0, 8}));
    EXPECT_EQ(HeadsetLedValue(247, 255), 246);
    EXPECT_EQ(HeadsetLedValue(248, 255), 247);
    EXPECT_EQ(HeadsetLedValue(255, 0), 0);
}

// The reports a sender sent, for a test to wait on.
class SentReports {
public:
    CHeadsetFrameSender::SendReport Sink() {
        return [this](std::span<const std::uint8_t> report) {
            const std::lock_guard lock(m_mutex);
            m_reports.emplace_back(report.begin(), report.end());
            m_changed.notify_all();
            return true;
        };
    }
    bool WaitFor(std::size_t count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(5),
                                  [&] { return m_reports.size() >= count; });
    }
    std::vector<std::vector<std::uint8_t>> Reports() {
        const std::lock_guard lock(m_mutex);
        return m_reports;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::vector<std::uint8_t>> m_reports;
};

TEST(HeadsetLightFrameTest, OnlyAChangedFrameIsSentAtOnce) {
    SentReports sent;
    {
        CHeadsetFrameSender sender(sent.Sink(), std::chrono::hours(1));
        std::vector<LedColor> leds(kHeadsetLedCount, LedColor{40, 80, 120, 255});
        sender.Submit(leds);
        ASSERT_TRUE(sent.WaitFor(12));
        sender.Submit(leds); // the same colours: nothing
        leds[3] = {120, 80, 40, 255};
        sender.Submit(leds);
        ASSERT_TRUE(sent.WaitFor(24));
    }
    const auto reports = sent.Reports();
    ASSERT_EQ(reports.size(), 24u) << "the unchanged frame was not sent again";
    EXPECT_EQ(reports[12][7], 119); // red of LED 3 in the second frame
    EXPECT_EQ(reports[0][7], 39);
}

TEST(HeadsetLightFrameTest, AnUnchangedFrameIsKeptAlive) {
    SentReports sent;
    {
        CHeadsetFrameSender sender(sent.Sink(), std::chrono::milliseconds(20));
        sender.Submit(std::vector<LedColor>(kHeadsetLedCount, LedColor{10, 20, 30, 255}));
        ASSERT_TRUE(sent.WaitFor(36)) << "three frames without a change";
    }
    const auto reports = sent.Reports();
    EXPECT_EQ(reports[24], reports[0]);
}

} // namespace
} // namespace vpc::devices::headset
