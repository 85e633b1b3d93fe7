// The mouse's DPI scale, button search and onboard record, against values worked out by hand.
#include "MouseOnboardRecord.h"
#include "MouseTables.h"

#include "CSimMouse.h"

#include <gtest/gtest.h>

#include <array>

namespace vpc::test {
namespace {

using devices::mouse::DpiScale;

DpiScale Scale(std::uint16_t sensor, std::uint8_t step, std::uint16_t max, std::uint16_t base) {
    DpiScale s;
    s.sensorCode = sensor;
    s.step = step;
    s.sliderMax = max;
    s.base = base;
    return s;
}

TEST(MouseDpiScale, PositionsAndTypedValuesBothWays) {
    const DpiScale plain = Scale(3395, 50, 519, 100);
    const DpiScale twoRate = Scale(13093, 100, 120, 100);
    struct ToDpiCase {
        const char* name;
        DpiScale scale;
        int position, dpi;
    };
    for (const ToDpiCase& c :
         {ToDpiCase{"plain 0 is the base", plain, 0, 100}, ToDpiCase{"plain 10", plain, 10, 600},
          ToDpiCase{"plain at the maximum", plain, 519, 26050},
          ToDpiCase{"two-rate 48, last of the first rate", twoRate, 48, 4900},
          ToDpiCase{"two-rate 49, 200 more", twoRate, 49, 5100},
          ToDpiCase{"two-rate 50", twoRate, 50, 5300},
          ToDpiCase{"sensor 65535 is a plain one", Scale(65535, 50, 519, 100), 49, 2550}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.scale.ToDpi(c.position), c.dpi);
    }
    struct ToPositionCase {
        const char* name;
        DpiScale scale;
        const char* text;
        int position;
    };
    for (const ToPositionCase& c : {
             ToPositionCase{"630 rounds down to 10", plain, "630", 10},
             ToPositionCase{"649 still 10", plain, "649", 10},
             ToPositionCase{"650 is 11", plain, "650", 11},
             ToPositionCase{"empty text is the base", plain, "", 0},
             ToPositionCase{"below the base is the base", plain, "40", 0},
             ToPositionCase{"not a number counts as 0", plain, "abc", 0},
             ToPositionCase{"above the maximum is the maximum", plain, "99999", 519},
             ToPositionCase{"two-rate 5300 is 49", twoRate, "5300", 49},
             ToPositionCase{"two-rate 4900 is 48", twoRate, "4900", 48},
             ToPositionCase{"two-rate 5500 is 50", twoRate, "5500", 50},
         }) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.scale.ToPosition(c.text), std::optional<int>(c.position));
    }
}

TEST(MouseDpiScale, AStepOrMaximumOfZeroGivesNoScale) {
    for (const DpiScale& scale :
         {Scale(3395, 0, 519, 100), Scale(3395, 50, 0, 100), Scale(13093, 0, 0, 0)}) {
        EXPECT_FALSE(scale.IsUsable());
        EXPECT_EQ(scale.ToPosition("800"), std::nullopt);
        EXPECT_EQ(scale.ToPosition(""), std::nullopt);
    }
    EXPECT_TRUE(Scale(65535, 1, 1, 0).IsUsable());
}

TEST(MouseDpiScale, FieldsOfTheInformationBlockAreLittleEndian) {
    std::array<std::uint8_t, 34> info{};
    info[9] = 0x25; // 13093 = 0x3325
    info[10] = 0x33;
    info[11] = 75;
    info[12] = 0x07; // 263 = 0x0107
    info[13] = 0x01;
    info[14] = 0xC8; // 200
    info[15] = 0x00;
    const DpiScale scale = DpiScale::FromInfoBlock(info);
    EXPECT_EQ(scale.sensorCode, 13093);
    EXPECT_EQ(scale.step, 75);
    EXPECT_EQ(scale.sliderMax, 263);
    EXPECT_EQ(scale.base, 200);
    EXPECT_FALSE(DpiScale::FromInfoBlock(std::span(info).first(15)).IsUsable());
}

TEST(MouseButtons, EachButtonIsFoundAtTheFirstPositionHoldingItsCode) {
    // the buttons' codes at shuffled positions, a duplicate of the left button's code later
    // on, and the fire button only beyond the key count
    std::array<std::uint8_t, 512> table{};
    const auto put = [&](int position, std::uint8_t type, std::uint8_t c1, std::uint8_t c2) {
        table[position * 3] = type;
        table[position * 3 + 1] = c1;
        table[position * 3 + 2] = c2;
    };
    put(0, 0x10, 0x02, 0x00);  // right
    put(1, 0x10, 0x01, 0x00);  // left
    put(2, 0x13, 0x03, 0x00);  // DPI loop
    put(3, 0x10, 0x04, 0x00);  // middle
    put(4, 0x10, 0x01, 0x00);  // left again
    put(5, 0x10, 0x08, 0x00);  // back
    put(6, 0x10, 0x10, 0x00);  // forward
    put(7, 0x16, 0x90, 0x01);  // M8
    put(8, 0x13, 0x02, 0x00);  // DPI down
    put(9, 0x13, 0x01, 0x00);  // DPI up
    put(10, 0xA0, 0x1B, 0x00); // game mode
    put(11, 0x14, 0x78, 0x02); // fire, beyond a key count of 11
    const auto positions = devices::mouse::FindButtonPositions(table, 11);
    const std::array<std::uint8_t, 11> expected = {1, 0, 3, 6, 5, 9, 8, 2, 10, 7, 170};
    EXPECT_EQ(positions, expected);
    EXPECT_EQ(devices::mouse::FindButtonPositions(table, 12)[10], 11);
}

TEST(MouseRecord, EveryFieldAtItsPlace) {
    devices::mouse::MouseRecordSource s;
    s.light.selectItem = 9;
    s.light.light = 3;
    s.light.speed = 1;
    s.light.fx = 1;
    s.light.multiColor = 1;
    s.light.red = 0xE1;
    s.light.green = 0x52;
    s.light.blue = 0x17;
    for (int i = 0; i < 5; ++i) {
        data::DpiStage stage;
        stage.stageActive = static_cast<std::uint8_t>(i % 2);
        stage.stageXY = static_cast<std::uint8_t>(0x40 + i);
        stage.stageDpiX = static_cast<std::uint16_t>(0x0123 + 0x111 * i);
        stage.stageDpiY = static_cast<std::uint16_t>(0x0A05 + 0x101 * i);
        stage.stageColorR = static_cast<std::uint8_t>(0x60 + i);
        stage.stageColorG = static_cast<std::uint8_t>(0x70 + i);
        stage.stageColorB = static_cast<std::uint8_t>(0x80 + i);
        s.stages.push_back(stage);
    }
    s.activeStage = 4;
    s.pollingOption = 2;
    s.corrections = {{3, 16, 0, "1 mm"}, {6, 32, 1, "2 mm"}, {9, 48, 1, "3 mm"}};
    s.value = 0x5A;
    s.flag = 1;
    s.screenWidth = 2560;
    s.screenHeight = 1440;
    const auto r = devices::mouse::EncodeMouseRecord(s);
    const std::array<std::uint8_t, 14> head = {0x5A, 9,    3, 3, 1, 1, 0xE1,
                                               0x52, 0x17, 0, 0, 2, 4, 0};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), r.begin()));
    // stage 0 at 14, stage 4 at 50
    const std::array<std::uint8_t, 9> stage0 = {0, 0x40, 0x23, 0x01, 0x05, 0x0A, 0x60, 0x70, 0x80};
    const std::array<std::uint8_t, 9> stage4 = {0, 0x44, 0x67, 0x05, 0x09, 0x0E, 0x64, 0x74, 0x84};
    EXPECT_TRUE(std::equal(stage0.begin(), stage0.end(), r.begin() + 14));
    EXPECT_TRUE(std::equal(stage4.begin(), stage4.end(), r.begin() + 50));
    EXPECT_EQ(r[23], 1); // stage 1 on
    EXPECT_EQ(r[59], 1);
    EXPECT_EQ(r[60] | (r[61] << 8), 2560);
    EXPECT_EQ(r[62] | (r[63] << 8), 1440);
    EXPECT_EQ(r[64], 32) << "the first selected correction: its minimum square";
    EXPECT_EQ(r[65], 6) << "and its pixel threshold";
}

TEST(MouseRecord, ModesAboveElevenMissingStagesAndNoCorrection) {
    struct Case {
        std::uint8_t mode, written;
    };
    for (const Case c : {Case{11, 11}, Case{12, 0}, Case{31, 0}}) {
        devices::mouse::MouseRecordSource s;
        s.light.selectItem = c.mode;
        s.stages.resize(2);
        s.stages[1].stageDpiX = 0x3344;
        s.corrections = {{3, 16, 0, "1 mm"}};
        const auto r = devices::mouse::EncodeMouseRecord(s);
        EXPECT_EQ(r[1], c.written);
        EXPECT_EQ(r[25], 0x44);
        EXPECT_TRUE(std::all_of(r.begin() + 32, r.begin() + 59, [](auto b) { return b == 0; }))
            << "stages the profile lacks are zero";
        EXPECT_EQ(r[64], 0);
        EXPECT_EQ(r[65], 0);
    }
}

TEST(MouseRecord, ReadBackThroughTheModeValueList) {
    std::array<std::uint8_t, 71> record{};
    record[1] = 7;
    record[2] = 2;
    record[3] = 1;
    record[5] = 1;
    record[6] = 0x11;
    record[7] = 0x22;
    record[8] = 0x33;
    record[12] = 3;
    const std::array<int, 4> values = {0, 3, 7, 9};
    const auto state = devices::mouse::DecodeMouseRecord(record, values);
    EXPECT_EQ(state.mode, 2) << "value 7 is at position 2 of the list";
    EXPECT_EQ(state.brightness, 2);
    EXPECT_EQ(state.speed, 3);
    EXPECT_EQ(state.multiColor, 1);
    EXPECT_EQ(state.red, 0x11);
    EXPECT_EQ(state.green, 0x22);
    EXPECT_EQ(state.blue, 0x33);
    EXPECT_EQ(state.activeStage, 3);
    record[1] = 200;
    record[3] = 250;
    EXPECT_EQ(devices::mouse::DecodeMouseRecord(record, values).mode, 200) << "kept when absent";
    EXPECT_EQ(devices::mouse::DecodeMouseRecord(record, values).speed, 0);
}

} // namespace
} // namespace vpc::test
