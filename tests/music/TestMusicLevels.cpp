// The level computation of music lighting: the activity check, the queue of four, the band
// averaging, the delivery every third frame, short frames and timer 1067.
#include "MusicLevels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vpc::panels {
namespace {

using Clock = CMusicLevels::Clock;
using namespace std::chrono_literals;

std::vector<std::uint8_t> Bytes(const std::vector<std::int32_t>& values) {
    std::vector<std::uint8_t> bytes(values.size() * 4);
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

// A 500-value frame whose value 0 is `first` (activity |first - previous first|).
std::vector<std::uint8_t> Frame(std::int32_t first) {
    std::vector<std::int32_t> values(500, 0);
    values[0] = first;
    return Bytes(values);
}

struct ActivityCase {
    const char* what;
    std::vector<std::int32_t> firsts; // value 0 of successive frames, starting from 0
    std::vector<bool> stops;          // whether each frame stops the capture
    int doubtfulAfter;
};

TEST(MusicLevels, ActivityOneToNinetyNineThreeTimesStopsTheCapture) {
    const std::vector<ActivityCase> cases = {
        {"three times 1", {1, 2, 3}, {false, false, true}, 0},
        {"three times 99", {99, 198, 297}, {false, false, true}, 0},
        {"two doubtful frames then 0", {50, 100, 100, 150}, {false, false, false, false}, 1},
        {"100 is valid", {50, 100, 200, 250}, {false, false, false, false}, 1},
        {"0 between keeps it going", {1, 2, 2, 3, 4}, {false, false, false, false, false}, 2},
        {"a fourth doubtful frame counts from 1 again",
         {1, 2, 3, 4},
         {false, false, true, false},
         1},
        {"a fall counts as its size", {300, 250, 200, 150}, {false, false, false, true}, 0},
    };
    for (const ActivityCase& c : cases) {
        SCOPED_TRACE(c.what);
        CMusicLevels levels;
        const auto now = Clock::now();
        for (std::size_t i = 0; i < c.firsts.size(); ++i) {
            const auto result = levels.OnFrame(Frame(c.firsts[i]), now);
            EXPECT_EQ(result.stopCapture, c.stops[i]) << "frame " << i;
        }
        EXPECT_EQ(levels.DoubtfulCount(), c.doubtfulAfter);
    }
}

TEST(MusicLevels, BandsAppearAfterFourValidFramesAndThenEveryThirdFrame) {
    CMusicLevels levels;
    const auto now = Clock::now();
    // differences of 8 in values 0-3 (band 0) and 40 in values 45-48 (band 9), 500 in all
    std::vector<bool> delivered;
    for (int frame = 1; frame <= 10; ++frame) {
        std::vector<std::int32_t> values(500, 0);
        const std::int32_t odd = frame % 2;
        for (int i = 0; i < 4; ++i) {
            values[static_cast<std::size_t>(i)] = odd * 8;
            values[static_cast<std::size_t>(45 + i)] = odd * 40;
        }
        values[499] = odd * 148; // 32 + 160 + 148 = 340 of activity
        delivered.push_back(levels.OnFrame(Bytes(values), now).deliver);
    }
    const std::vector<bool> expected = {false, false, false, true,  false,
                                        false, true,  false, false, true};
    EXPECT_EQ(delivered, expected);
}

TEST(MusicLevels, ABandFedEightsTwiceGivesEightThenTen) {
    CMusicLevels levels;
    const auto now = Clock::now();
    std::vector<std::vector<std::int32_t>> keyboards;
    std::vector<std::vector<std::int32_t>> mice;
    // band 2 (values 10-13) and band 11 (values 55-58) change by 8 each frame; band 0 by 12
    for (int frame = 1; frame <= 7; ++frame) {
        std::vector<std::int32_t> values(500, 0);
        const std::int32_t odd = frame % 2;
        for (int i = 0; i < 4; ++i) {
            values[static_cast<std::size_t>(10 + i)] = odd * 8;
            values[static_cast<std::size_t>(55 + i)] = odd * 8;
            values[static_cast<std::size_t>(i)] = odd * 12;
        }
        const auto result = levels.OnFrame(Bytes(values), now);
        if (result.deliver) {
            keyboards.emplace_back(result.keyboard.begin(), result.keyboard.begin() + 26);
            mice.emplace_back(result.mouse.begin(), result.mouse.begin() + 26);
        }
    }
    ASSERT_EQ(keyboards.size(), 2u);
    // first delivery: one averaging ((0 + 32) / 4 = 8; band 0: 48 / 4 = 12); second after three
    // more: 8 -> 10 -> 10 -> 10 (band 0: 12 -> 15 -> 15 -> 15)
    EXPECT_EQ(keyboards[0][2], 8);
    EXPECT_EQ(keyboards[0][11], 8);
    EXPECT_EQ(keyboards[0][0], 12);
    EXPECT_EQ(keyboards[1][2], 10);
    EXPECT_EQ(keyboards[1][11], 10);
    EXPECT_EQ(keyboards[1][0], 15);
    EXPECT_EQ(keyboards[1][1], 0);
    EXPECT_EQ(keyboards[1][25], 0) << "zeros after the 25 bands";
    // the mouse buffer: its bands 1-9 (band 2 at index 1), then keyboard bands 10-24 (band 11
    // at index 10)
    EXPECT_EQ(mice[1][0], 0);
    EXPECT_EQ(mice[1][1], 10);
    EXPECT_EQ(mice[1][9], 0) << "keyboard band 10";
    EXPECT_EQ(mice[1][10], 10) << "keyboard band 11";
    EXPECT_EQ(mice[1][24], 0);
}

TEST(MusicLevels, AnInvalidFrameInTheQueueEmptiesIt) {
    CMusicLevels levels;
    const auto now = Clock::now();
    const std::vector<std::int32_t> firsts = {0, 0, 50, 50, 50, 50, 50};
    std::vector<std::size_t> queued;
    for (const std::int32_t first : firsts) {
        levels.OnFrame(Frame(first), now);
        queued.push_back(levels.QueuedFrames());
    }
    // the third frame (activity 50) is doubtful: the fourth finds it in the queue and empties
    // it; afterwards every frame is valid (activity 0) and the queue fills again
    const std::vector<std::size_t> expected = {1, 2, 3, 0, 1, 2, 3};
    EXPECT_EQ(queued, expected);
}

TEST(MusicLevels, ShortFramesAreZeroFilledAndOddBytesDropped) {
    CMusicLevels levels;
    const auto now = Clock::now();
    std::vector<std::uint8_t> bytes = Bytes({300, 7});
    bytes.push_back(0xFF); // a partial value
    auto result = levels.OnFrame(bytes, now);
    EXPECT_EQ(result.activity, 307);
    // the same two values again, without the odd byte: nothing changed
    result = levels.OnFrame(Bytes({300, 7}), now);
    EXPECT_EQ(result.activity, 0);
    // a longer frame than 500 values: only 500 are read
    std::vector<std::int32_t> many(600, 1000);
    result = levels.OnFrame(Bytes(many), now);
    EXPECT_EQ(result.activity, (1000 - 300) + (1000 - 7) + 498 * 1000);
    EXPECT_EQ(levels.FrameCounter(), 3);
    // an empty frame is no frame
    levels.OnFrame({}, now);
    EXPECT_EQ(levels.FrameCounter(), 3);
}

TEST(MusicLevels, DifferencesOfExtremeValuesDoNotOverflow) {
    CMusicLevels levels;
    const auto now = Clock::now();
    levels.OnFrame(Bytes(std::vector<std::int32_t>(500, INT32_MIN)), now);
    const auto result = levels.OnFrame(Bytes(std::vector<std::int32_t>(500, INT32_MAX)), now);
    EXPECT_EQ(result.activity, 500LL * 4294967295LL);
    EXPECT_TRUE(result.valid);
}

TEST(MusicLevels, TimerClearsTheQueuesAfterHalfASecondWithoutFrames) {
    CMusicLevels levels;
    const auto start = Clock::now();
    levels.OnFrame(Frame(0), start);
    levels.OnFrame(Frame(0), start);
    ASSERT_EQ(levels.QueuedFrames(), 2u);
    levels.OnTimer(start + 500ms);
    EXPECT_TRUE(levels.IsDataActive()) << "500 ms is not more than 500 ms";
    EXPECT_EQ(levels.QueuedFrames(), 2u);
    levels.OnTimer(start + 501ms);
    EXPECT_FALSE(levels.IsDataActive());
    EXPECT_EQ(levels.QueuedFrames(), 0u);
}

TEST(MusicLevels, ScreenColoursAreZeroFilled) {
    const std::vector<std::int32_t> three = {0x12, 0x34, 0x56};
    const auto words = CMusicLevels::ScreenColors(Bytes(three));
    EXPECT_EQ(words, (CMusicLevels::ScreenWords{0x12, 0x34, 0x56, 0, 0, 0}));
    const std::vector<std::int32_t> eight = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(CMusicLevels::ScreenColors(Bytes(eight)),
              (CMusicLevels::ScreenWords{1, 2, 3, 4, 5, 6}));
}

} // namespace
} // namespace vpc::panels
