#include "KeyAssignment.h"

#include <gtest/gtest.h>

namespace vpc::data {
namespace {

TEST(KeyAssignment, CodeSplitsIntoTypeAndCodes) {
    const KeyAssignment a = KeyAssignment::FromCode(2097412);
    EXPECT_EQ(a.type, 0x20);  // keyboard key
    EXPECT_EQ(a.code1, 0x01); // left Ctrl
    EXPECT_EQ(a.code2, 0x04); // A
    EXPECT_EQ(a.ToCode(), 2097412u);
}

TEST(KeyAssignment, HigherBitsAreIgnored) {
    EXPECT_EQ(KeyAssignment::FromCode(0xFF200104u), KeyAssignment::FromCode(0x200104u));
}

TEST(KeyAssignment, MouseWheelDirectionOneStoresTwosComplement) {
    const KeyAssignment a = EncodeMouseWheel({2, 5, true, 3});
    EXPECT_EQ(a.type, assignment_type::kMouseWheel);
    EXPECT_EQ(a.code1, 0x25);
    EXPECT_EQ(a.code2, 0xFD);
    EXPECT_EQ(DecodeMouseWheel(a), (MouseMotion{2, 5, true, 3}));
    EXPECT_EQ(EncodeMouseWheel({0, 0, false, 3}).code2, 0x03);
}

TEST(KeyAssignment, MouseMoveDirectionIsBitSeven) {
    const KeyAssignment a = EncodeMouseMove({15, 1, true, 3});
    EXPECT_EQ(a.type, assignment_type::kMouseMove);
    EXPECT_EQ(a.code1, 0xF1);
    EXPECT_EQ(a.code2, 0x83);
    EXPECT_EQ(DecodeMouseMove(a), (MouseMotion{15, 1, true, 3}));
}

TEST(KeyAssignment, EveryWheelAndMoveValueRoundTrips) {
    for (int direction = 0; direction < 2; ++direction) {
        for (int distance = 0; distance < 128; ++distance) {
            const MouseMotion m{3, 7, direction == 1, static_cast<std::uint8_t>(distance)};
            EXPECT_EQ(DecodeMouseWheel(EncodeMouseWheel(m)), m) << direction << " " << distance;
            EXPECT_EQ(DecodeMouseMove(EncodeMouseMove(m)), m) << direction << " " << distance;
        }
    }
}

TEST(KeyEntry, WordsCarryTheTwelveBytesLittleEndian) {
    KeyEntry entry = KeyEntry::Make(0x0102, {0x20, 0x01, 0x04}, {0x20, 0x00, 0x29});
    entry.current.spare = 0x55;
    const auto words = entry.ToWords();
    EXPECT_EQ(words[0], 0x01200102u); // slot, type, code1
    EXPECT_EQ(words[1], 0x01025504u); // code2, spare, slot
    EXPECT_EQ(words[2], 0x00290020u); // type, code1, code2, spare
    EXPECT_EQ(KeyEntry::FromWords(words[0], words[1], words[2]), entry);
    EXPECT_EQ(KeyEntry::FromBytes(entry.ToBytes()), entry);
}

} // namespace
} // namespace vpc::data
