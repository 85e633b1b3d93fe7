// A lighting panel that was never shown has no controls; what its device told it meanwhile is
// shown, in the order told, once the controls are built.
#include "LightControlUI.h"
#include "LightRecordWords.h"

#include "SkinResources.h"

#include <gtest/gtest.h>

namespace vpc::panels::test {
namespace {

TEST(LazyLightingPanel, WhatTheDeviceSaidBeforeTheControlsExistIsShownInItsOrder) {
    ASSERT_TRUE(CSkinResources::Instance().SetResourcePath(QString::fromUtf8(VPC_TEST_SKIN_DIR)));
    CLightControlUI panel;
    panel.setProperty("deviceKind", 1);
    panel.setProperty("modeNames", QStringList{"mode_a", "mode_b", "mode_c", "mode_d", "mode_e",
                                               "mode_f", "mode_g", "mode_h"});
    panel.setProperty("modeVisible", QVariantList{true, true, true, true, true, true, true, true});
    panel.setProperty("lightBrightness", 1);
    data::LightInfo record;
    record.selectItem = 6;
    record.light = 3;
    record.speed = 2;
    record.red = 0x12;
    record.green = 0x9A;
    record.blue = 0x47;
    const data::LightWords words = data::ToLightWords(record);
    panel.ShowLightRecord(words[0], words[1], words[2]);
    panel.setProperty("lightSpeed", 4); // after the record: the speed told last wins
    panel.SetSameModeAllowed(true);
    EXPECT_FALSE(panel.IsContentBuilt());
    EXPECT_EQ(panel.DeviceKind(), 1);

    // the first use builds the controls
    EXPECT_EQ(panel.GetMode(), 6);
    EXPECT_TRUE(panel.IsContentBuilt());
    EXPECT_EQ(panel.GetBrightness(), 3) << "the record came after the brightness";
    EXPECT_EQ(panel.GetSpeed(), 4);
    EXPECT_EQ(panel.GetColorText(CLightControlUI::kRed), "18");
    EXPECT_EQ(panel.GetColorText(CLightControlUI::kGreen), "154");
    EXPECT_EQ(panel.GetColorText(CLightControlUI::kBlue), "71");
    EXPECT_EQ(panel.Part("light_combo_modeSelect").GetCount(), 8);
    EXPECT_TRUE(panel.IsSameModeAllowed());

    // once built, the panel follows at once
    panel.setProperty("lightBrightness", 2);
    EXPECT_EQ(panel.GetBrightness(), 2);
}

} // namespace
} // namespace vpc::panels::test
