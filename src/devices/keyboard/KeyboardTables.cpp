#include "KeyboardTables.h"

namespace vpc::devices::keyboard {

namespace {

constexpr data::KeyAssignment Key(std::uint8_t usage) {
    return {data::assignment_type::kKeyboard, 0x00, usage};
}
constexpr data::KeyAssignment Modifier(std::uint8_t mask) {
    return {data::assignment_type::kKeyboard, mask, 0x00};
}
constexpr data::KeyAssignment Function(std::uint8_t code1) {
    return {data::assignment_type::kDeviceFunction, code1, 0x00};
}

// Slots first, first + 1, ... get keyboard keys with the usages of the row.
template <std::size_t N>
constexpr void FillKeys(std::array<data::KeyAssignment, kUiKeyCount>& t, std::size_t first,
                        const std::uint8_t (&usages)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        t[first + i] = Key(usages[i]);
}

constexpr std::array<data::KeyAssignment, kUiKeyCount> BuildKeyCodeTable() {
    std::array<data::KeyAssignment, kUiKeyCount> t{};
    for (auto& entry : t)
        entry = Key(0x00);
    t[0] = Key(0x29);
    for (int i = 1; i <= 12; ++i) // F1-F12
        t[static_cast<std::size_t>(i)] = Key(static_cast<std::uint8_t>(0x3A + i - 1));
    t[13] = Key(0x46);
    t[14] = Key(0x47);
    t[15] = Key(0x48);
    t[16] = Function(0x1B);
    t[17] = Function(0x24);
    t[21] = Key(0x35);
    for (int i = 22; i <= 31; ++i) // 1-0 of the number row
        t[static_cast<std::size_t>(i)] = Key(static_cast<std::uint8_t>(0x1E + i - 22));
    constexpr std::uint8_t row32[] = {
        0x2D, 0x2E, 0x2A, 0x49, 0x4A, 0x4B, 0x53, 0x54, 0x55, 0x56, 0x2B, 0x14, 0x1A,
        0x08, 0x15, 0x17, 0x1C, 0x18, 0x0C, 0x12, 0x13, 0x2F, 0x30, 0x31, 0x4C, 0x4D,
        0x4E, 0x5F, 0x60, 0x61, 0x32, 0x39, 0x04, 0x16, 0x07, 0x09, 0x0A, 0x0B, 0x0D,
        0x0E, 0x0F, 0x33, 0x34, 0x28, 0x5C, 0x5D, 0x5E, 0x8A, 0x8B, 0x90, 0x91, 0x88};
    FillKeys(t, 32, row32);
    t[84] = Modifier(0x02);
    constexpr std::uint8_t row85[] = {0x1D, 0x1B, 0x06, 0x19, 0x05, 0x11, 0x10, 0x36, 0x37, 0x38};
    FillKeys(t, 85, row85);
    t[95] = Modifier(0x20);
    constexpr std::uint8_t row96[] = {0x52, 0x59, 0x5A, 0x5B, 0x87, 0x89, 0x64, 0x85};
    FillKeys(t, 96, row96);
    t[105] = Modifier(0x01);
    t[106] = Modifier(0x08);
    t[107] = Modifier(0x04);
    t[108] = Key(0x2C);
    t[109] = Modifier(0x40);
    t[110] = Function(0x01);
    t[111] = Key(0x65);
    t[112] = Modifier(0x10);
    constexpr std::uint8_t row113[] = {0x50, 0x51, 0x4F, 0x62, 0x63, 0x58, 0x57};
    FillKeys(t, 113, row113);
    for (int i = 120; i <= 124; ++i) // onboard macro keys M1-M5
        t[static_cast<std::size_t>(i)] = {data::assignment_type::kOnboardMacro, 0xA2,
                                          static_cast<std::uint8_t>(i - 119)};
    t[125] = Modifier(0x80);
    return t;
}

constexpr std::array<data::KeyAssignment, kUiKeyCount> kKeyCodeTable = BuildKeyCodeTable();

} // namespace

const std::array<data::KeyAssignment, kUiKeyCount>& KeyCodeTable() {
    return kKeyCodeTable;
}

} // namespace vpc::devices::keyboard
