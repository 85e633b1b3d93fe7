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

// Every shipped file is JSON (the shoot files too) in the layout the program writes, so a
// default copied into a user folder is byte for byte what the program would write.
TEST(DefaultData, EveryFileParsesInTheProgramsLayout) {
    const char* const files[] = {
        "keyboard.Json",
        "mouse.Json",
        "MousePad.Json",
        "HD.Json",
        "default_light.json",
        "Language.config",
        "color_option_info.config",
        "AudioFile.json",
        "ShootData_0.Shoot",
        "ShootData_1.Shoot",
        "ShootData_2.Shoot",
        "ShootData_3.Shoot",
    };
    for (const char* name : files) {
        const TextReadResult text = ReadFileTextEx(kDefaults / name);
        ASSERT_EQ(text.status, FileReadStatus::Ok) << name;
        const JsonReadResult read = ParseJsonText(text.text);
        ASSERT_TRUE(read.ok()) << name << ": " << read.error;
        EXPECT_TRUE(read.value.isObject()) << name;
        EXPECT_EQ(text.text, ToStyledJson(read.value)) << name;
    }
}

TEST(DefaultData, LanguageListHasEnglishAndSimplifiedChinese) {
    const auto languages = ReadLanguageList(kDefaults / "Language.config");
    ASSERT_EQ(languages.size(), 2u);
    EXPECT_EQ(languages[0],
              (LanguageEntry{1033, "English", "language/en.json", "language_text_0"}));
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
    EXPECT_EQ(keys[0].defaults.assignment, (KeyAssignment{0x20, 0x00, 0x29}));   // Esc
    EXPECT_EQ(keys[110].defaults.assignment, (KeyAssignment{0xA0, 0x01, 0x00})); // Fn
    for (const KeyEntry& key : keys)
        EXPECT_EQ(key.current.assignment, key.defaults.assignment) << key.current.slot;
    // The keypad's keys all have a function of their own.
    for (const int slot :
         {0, 110, 34, 38, 39, 40, 41, 59, 60, 61, 119, 76, 77, 78, 97, 98, 99, 116, 117, 118})
        EXPECT_NE(keys[static_cast<std::size_t>(slot)].defaults.assignment.code2 |
                      keys[static_cast<std::size_t>(slot)].defaults.assignment.code1,
                  0)
            << slot;
    EXPECT_EQ(profile.GetLightList().size(), 170u);
    EXPECT_EQ(profile.GetLightInfo().selectItem, 1);
    // Every custom colour group is complete: reading a whole group adds nothing.
    const Json::Value before = profile.GetDocument();
    for (int group = 0; group < 4; ++group)
        EXPECT_EQ(profile.GetCustomColors(group, 170)[0].alpha, 255) << group;
    EXPECT_EQ(profile.GetDocument(), before);
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

// Each gun's file holds 30 bullets of six actions: left click, release, horizontal pull,
// vertical pull and the two zero moves, with integer delays.
TEST(DefaultData, ShootFilesHoldThirtyBulletsForEachGun) {
    struct Step {
        const char* action; // nullptr: either direction
        int type;
        bool zeroButton;
    };
    const Step pattern[6] = {{"down", 1, false},  {"up", 1, false},   {nullptr, 4, false},
                             {nullptr, 5, false}, {nullptr, 4, true}, {nullptr, 5, true}};
    for (int gun = 0; gun < 4; ++gun) {
        const auto path = kDefaults / ("ShootData_" + std::to_string(gun) + ".Shoot");
        const Json::Value file = ReadJsonFile(path);
        const Json::Value& events = json::Member(file, "Events");
        ASSERT_EQ(json::ArraySize(events), 180u) << path;
        for (Json::ArrayIndex i = 0; i < 180; ++i) {
            const Step& step = pattern[i % 6];
            const Json::Value& e = events[i];
            const std::string action = json::ToText(json::Member(e, "Action"));
            EXPECT_TRUE(step.action ? action == step.action : action == "down" || action == "up")
                << gun << "/" << i;
            EXPECT_EQ(json::ToInt64(json::Member(e, "Type")), step.type) << gun << "/" << i;
            EXPECT_TRUE(json::Member(e, "Delay").isIntegral()) << gun << "/" << i;
            const std::int64_t button = json::ToInt64(json::Member(e, "Button"));
            EXPECT_TRUE(step.zeroButton ? button == 0 : button >= 0 && button <= 255);
        }
        // The pull ends in the direction it started.
        EXPECT_EQ(events[2]["Action"], events[4]["Action"]);
        EXPECT_EQ(events[3]["Action"], events[5]["Action"]);
    }
}

} // namespace
} // namespace vpc::data
