#include "KeyAssignment.h"

namespace vpc::data {

namespace {

std::uint8_t MotionCode1(const MouseMotion& motion) {
    return static_cast<std::uint8_t>(((motion.delay & 0x0F) << 4) | (motion.speed & 0x0F));
}

} // namespace

KeyAssignment EncodeMouseMove(const MouseMotion& motion) {
    const auto code2 =
        static_cast<std::uint8_t>((motion.direction ? 0x80 : 0x00) | (motion.distance & 0x7F));
    return {assignment_type::kMouseMove, MotionCode1(motion), code2};
}

MouseMotion DecodeMouseMove(const KeyAssignment& assignment) {
    return {static_cast<std::uint8_t>(assignment.code1 >> 4),
            static_cast<std::uint8_t>(assignment.code1 & 0x0F), (assignment.code2 & 0x80) != 0,
            static_cast<std::uint8_t>(assignment.code2 & 0x7F)};
}

KeyAssignment EncodeMouseWheel(const MouseMotion& motion) {
    const int distance = motion.distance & 0x7F;
    const auto code2 = motion.direction ? static_cast<std::uint8_t>((128 - distance) | 0x80)
                                        : static_cast<std::uint8_t>(distance);
    return {assignment_type::kMouseWheel, MotionCode1(motion), code2};
}

MouseMotion DecodeMouseWheel(const KeyAssignment& assignment) {
    MouseMotion motion = DecodeMouseMove(assignment);
    if (motion.direction)
        motion.distance = static_cast<std::uint8_t>((128 - (assignment.code2 & 0x7F)) & 0x7F);
    return motion;
}

KeyEntry KeyEntry::Make(std::uint16_t slot, KeyAssignment current, KeyAssignment defaults) {
    KeyEntry entry;
    entry.current = {slot, current, 0};
    entry.defaults = {slot, defaults, 0};
    return entry;
}

std::array<std::uint8_t, 12> KeyEntry::ToBytes() const {
    std::array<std::uint8_t, 12> bytes{};
    const KeyEntryHalf* halves[2] = {&current, &defaults};
    for (int h = 0; h < 2; ++h) {
        const KeyEntryHalf& half = *halves[h];
        std::uint8_t* out = bytes.data() + h * 6;
        out[0] = static_cast<std::uint8_t>(half.slot);
        out[1] = static_cast<std::uint8_t>(half.slot >> 8);
        out[2] = half.assignment.type;
        out[3] = half.assignment.code1;
        out[4] = half.assignment.code2;
        out[5] = half.spare;
    }
    return bytes;
}

KeyEntry KeyEntry::FromBytes(const std::array<std::uint8_t, 12>& bytes) {
    KeyEntry entry;
    KeyEntryHalf* halves[2] = {&entry.current, &entry.defaults};
    for (int h = 0; h < 2; ++h) {
        const std::uint8_t* in = bytes.data() + h * 6;
        KeyEntryHalf& half = *halves[h];
        half.slot = static_cast<std::uint16_t>(in[0] | (in[1] << 8));
        half.assignment = {in[2], in[3], in[4]};
        half.spare = in[5];
    }
    return entry;
}

std::array<std::uint32_t, 3> KeyEntry::ToWords() const {
    const std::array<std::uint8_t, 12> bytes = ToBytes();
    std::array<std::uint32_t, 3> words{};
    for (std::size_t w = 0; w < 3; ++w) {
        for (std::size_t b = 0; b < 4; ++b)
            words[w] |= std::uint32_t{bytes[w * 4 + b]} << (8 * b);
    }
    return words;
}

KeyEntry KeyEntry::FromWords(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2) {
    const std::uint32_t words[3] = {word0, word1, word2};
    std::array<std::uint8_t, 12> bytes{};
    for (std::size_t w = 0; w < 3; ++w) {
        for (std::size_t b = 0; b < 4; ++b)
            bytes[w * 4 + b] = static_cast<std::uint8_t>(words[w] >> (8 * b));
    }
    return FromBytes(bytes);
}

} // namespace vpc::data
