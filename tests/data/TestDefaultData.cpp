// The default data that ships with the program: every file parses and holds what the
// program reads from it.
#include "CBasicProfiledata.h"
#include "CHs6533Profiledata.h"
#include "CKeyboardProfiledata.h"
#include "CMouseProfiledata.h"
#include "JsonAccess.h"
#include "JsonFile.h"
#include "LanguageSettings.h"
#include "PaletteFile.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

namespace vpc::data {
namespace {

const std::filesystem::path kDefaults = VPC_TEST_DEFAULT_DATA_DIR;

TEST(DefaultData, EveryJsonFileParses) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kDefaults)) {
        const std::string name = entry.path().filename().string();
        if (name.find("Shoot") != std::string::npos)
            continue;  // shoot files are not JSON
        const JsonReadResult read = ReadJsonFileEx(entry.path());
        EXPECT_TRUE(read.ok()) << name << ": " << read.error;
        EXPECT_TRUE(read.value.isObject()) << name;
        ++files;
    }
    EXPECT_GE(files, 8);
}

TEST(DefaultData, LanguageListHasEnglishAndSimplifiedChinese) {
    const auto languages = ReadLanguageList(kDefaults / "Language.config");
    ASSERT_EQ(languages.size(), 2u);
    EXPECT_EQ(languages[0], (LanguageEntry{1033, "English", "language/en.json", "language_text_0"}));
    EXPECT_EQ(languages[1],
              (LanguageEntry{2052, "简体中文", "language/zh_CN.json", "language_text_1"}));
}

TEST(DefaultData, KeyboardProfileCoversEveryKeySlot) {
    test::TempFolder dir;
    CKeyboardProfiledata profile;
    profile.SetDefaultPath(kDefaults / "keyboard.Json");
    profile.SetProfilePath(dir / "p.Json");
    profile.Load(dir / "p.Json");
    const auto keys = profile.GetKeyList();
    ASSERT_EQ(keys.size(), 170u);
    EXPECT_EQ(keys[0].defaults.assignment, (KeyAssignment{0x20, 0x00, 0x29}));  // Esc
    EXPECT_EQ(keys[110].defaults.assignment, (KeyAssignment{0xA0, 0x01, 0x00}));  // Fn
    for (const KeyEntry& key : keys)
        EXPECT_EQ(key.current.assignment, key.defaults.assignment) << key.current.slot;
    EXPECT_EQ(profile.GetLightList().size(), 170u);
    const KeyboardSystemStages stages = KeyboardSystemStages::FromWords(profile.GetSystemStages());
    EXPECT_LE(stages.pollingRate, 3);
    EXPECT_LE(stages.repeatDelay, 3);
}

TEST(DefaultData, MouseAndHeadsetProfilesHoldTheirSections) {
    test::TempFolder dir;
    CMouseProfiledata mouse;
    mouse.SetDefaultPath(kDefaults / "mouse.Json");
    mouse.Load(dir / "m.Json");
    const auto stages = mouse.GetDpiStages();
    ASSERT_GE(stages.size(), 4u);
    EXPECT_LT(mouse.GetActiveStage(), static_cast<int>(stages.size()));
    EXPECT_EQ(mouse.GetKeyList().size(), 11u);
    EXPECT_FALSE(mouse.GetCorrectInfo().empty());

    CHs6533Profiledata headset;
    headset.SetDefaultPath(kDefaults / "HD.Json");
    headset.Load(dir / "h.Json");
    for (int preset = 1; preset <= kEqPresetCount; ++preset)
        EXPECT_EQ(headset.GetEqValues(preset).size(), 10u);
    EXPECT_EQ(headset.GetSystemSetStages().eqType, 1);

    CBasicProfiledata pad;
    pad.SetDefaultPath(kDefaults / "MousePad.Json");
    pad.Load(dir / "p.Json");
    EXPECT_FALSE(pad.GetLastLoadReport().fromDefault && pad.GetDocument().isNull());
    EXPECT_FALSE(pad.GetDocument()["LightInfo"].isNull());
}

TEST(DefaultData, LightModeListsExistForEveryLightType) {
    const Json::Value doc = ReadJsonFile(kDefaults / "default_light.json");
    const Json::Value& lists = json::Member(doc, "DefaultLightName");
    ASSERT_EQ(json::ArraySize(lists), 4u);
    // The keyboard's list holds the modes 0-31 the lighting engine knows.
    EXPECT_EQ(json::ArraySize(lists[0]), 32u);
    for (Json::ArrayIndex t = 0; t < 4; ++t) {
        for (const Json::Value& mode : lists[t]) {
            EXPECT_TRUE(mode["LightName"].isString());
            EXPECT_TRUE(mode["value"].isIntegral());
        }
    }
}

TEST(DefaultData, PaletteHasTwentyColoursEach) {
    test::TempFolder dir;
    CPaletteFile palette(dir / kPaletteFileName, kDefaults / kPaletteFileName);
    ASSERT_TRUE(palette.OpenPaletteFile());
    const StandardColors standard = palette.LoadStandardColors();
    for (const auto& color : standard.colors)
        EXPECT_TRUE(color.has_value());
    EXPECT_EQ(palette.LoadSavedColors().selectItem, -1);
}

TEST(DefaultData, ShootFilesExistForTheFourGuns) {
    for (int gun = 0; gun < 4; ++gun) {
        const auto path = kDefaults / ("ShootData_" + std::to_string(gun) + ".Shoot");
        EXPECT_FALSE(ReadFileText(path).empty()) << path;
    }
}

}  // namespace
}  // namespace vpc::data
