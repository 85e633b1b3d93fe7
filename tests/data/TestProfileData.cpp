#include "CBasicProfiledata.h"
#include "CHs6533Profiledata.h"
#include "CKeyboardProfiledata.h"
#include "CMouseProfiledata.h"
#include "JsonFile.h"

#include "TempFolder.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace vpc::data {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// A default profile with a light record and three keys, written to a temporary folder.
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        Json::Value entry;
        entry["LightInfo"]["SelectItem"] = 3;
        entry["LightInfo"]["Red"] = 200;
        for (int i = 0; i < 3; ++i) {
            entry["KeyList"][i]["Assignment"] = 0x200000 + 0x1E + i;
            entry["KeyList"][i]["DefaultAssignment"] = 0x200000 + 0x1E + i;
        }
        entry["ExtraMember"] = "carried along";
        Json::Value file;
        file["Device"][0] = entry;
        defaultPath = dir / "keyboard.Json";
        ASSERT_TRUE(WriteJsonFile(defaultPath, file));
        profilePath = dir / "2024_03_05_14_07_09_042.Json";
        defaultEntry = entry;
    }

    template <typename Profile> void Prepare(Profile& profile) {
        profile.SetDefaultPath(defaultPath);
        profile.SetProfilePath(profilePath);
    }

    TempFolder dir;
    std::filesystem::path defaultPath;
    std::filesystem::path profilePath;
    Json::Value defaultEntry;
};

TEST_F(ProfileTest, LoadOfAMissingFileCreatesItFromTheDefaultElement) {
    CBasicProfiledata profile;
    Prepare(profile);
    const Json::Value doc = profile.Load(profilePath);
    EXPECT_EQ(doc, defaultEntry);
    EXPECT_TRUE(profile.GetLastLoadReport().fromDefault);
    EXPECT_TRUE(profile.GetLastLoadReport().written);
    const Json::Value file = ReadJsonFile(profilePath);
    ASSERT_EQ(file["Device"].size(), 1u);
    EXPECT_EQ(file["Device"][0], defaultEntry);
    EXPECT_EQ(ReadBytes(profilePath), ToStyledJson(file));
}

TEST_F(ProfileTest, BothFilesMissingGiveFallbacksAndADeviceArrayWithNull) {
    CKeyboardProfiledata profile;
    profile.SetDefaultPath(dir / "absent.Json");
    profile.SetProfilePath(profilePath);
    EXPECT_TRUE(profile.Load(profilePath).isNull());
    EXPECT_EQ(ReadJsonFile(profilePath)["Device"], ParseJsonText("[null]").value);
    EXPECT_EQ(profile.GetLightInfo(), LightInfo{});
    EXPECT_EQ(profile.GetAudioLightInfo(), AudioLightInfo{});
    EXPECT_TRUE(profile.GetKeyList().empty());
    EXPECT_TRUE(profile.GetLightList().empty());
    EXPECT_EQ(profile.GetSystemStages(), (SystemStageWords{0, 0, 0}));
    EXPECT_EQ(profile.GetCustomGroupIndex(), 0);
}

TEST_F(ProfileTest, CorruptProfileIsKeptBesideBeforeTheDefaultsReplaceIt) {
    WriteBytes(profilePath, "{ this is not json");
    CBasicProfiledata profile;
    Prepare(profile);
    EXPECT_EQ(profile.Load(profilePath), defaultEntry);
    const ProfileLoadReport& report = profile.GetLastLoadReport();
    EXPECT_EQ(report.fileStatus, FileReadStatus::ParseError);
    ASSERT_FALSE(report.keptAs.empty());
    EXPECT_EQ(ReadBytes(report.keptAs), "{ this is not json");
    EXPECT_EQ(ReadJsonFile(profilePath)["Device"][0], defaultEntry);
}

TEST_F(ProfileTest, ElementLessProfileIsRepairedKeepingItsOtherMembers) {
    WriteBytes(profilePath, R"({"profilename":"mine","profileUUID":"u1","Device":[]})");
    CBasicProfiledata profile;
    Prepare(profile);
    EXPECT_EQ(profile.Load(profilePath), defaultEntry);
    EXPECT_TRUE(profile.GetLastLoadReport().keptAs.empty());
    const Json::Value file = ReadJsonFile(profilePath);
    EXPECT_EQ(file["profilename"].asString(), "mine");
    EXPECT_EQ(file["profileUUID"].asString(), "u1");
    EXPECT_EQ(file["Device"][0], defaultEntry);
}

TEST_F(ProfileTest, ProfileWithADeviceOfTheWrongKindIsKeptAndRepaired) {
    WriteBytes(profilePath, R"({"profilename":"mine","Device":"oops"})");
    CBasicProfiledata profile;
    Prepare(profile);
    profile.Load(profilePath);
    EXPECT_FALSE(profile.GetLastLoadReport().keptAs.empty());
    const Json::Value file = ReadJsonFile(profilePath);
    EXPECT_EQ(file["profilename"].asString(), "mine");
    EXPECT_EQ(file["Device"][0], defaultEntry);
}

TEST_F(ProfileTest, DirectoryOrFifoInPlaceOfTheProfileIsNotTouched) {
    for (const bool fifo : {false, true}) {
        std::filesystem::remove_all(profilePath);
        if (fifo)
            ASSERT_EQ(::mkfifo(profilePath.c_str(), 0600), 0);
        else
            std::filesystem::create_directories(profilePath / "inner");
        CBasicProfiledata profile;
        Prepare(profile);
        EXPECT_EQ(profile.Load(profilePath), defaultEntry) << fifo; // defaults in memory
        EXPECT_FALSE(profile.GetLastLoadReport().written) << fifo;
        EXPECT_TRUE(profile.GetLastLoadReport().keptAs.empty()) << fifo;
        EXPECT_FALSE(profile.Save()) << fifo;
        if (fifo)
            EXPECT_TRUE(std::filesystem::is_fifo(profilePath));
        else
            EXPECT_TRUE(std::filesystem::is_directory(profilePath / "inner"));
    }
}

TEST_F(ProfileTest, LoadNeverWritesTheDefaultFile) {
    WriteBytes(defaultPath, R"({"Device":[]})");
    const std::string before = ReadBytes(defaultPath);
    CBasicProfiledata profile;
    Prepare(profile);
    profile.Load(defaultPath);
    EXPECT_EQ(ReadBytes(defaultPath), before);
}

TEST_F(ProfileTest, SaveReplacesOnlyItsElementAndKeepsTheRest) {
    WriteBytes(profilePath,
               R"({"profilename":"p","profileUUID":"u","Device":[{"KeyList":[]},{"Other":1}]})");
    CBasicProfiledata profile;
    Prepare(profile);
    profile.Load(profilePath);
    profile.SetLightInfo({1, 2, 3, 4, 1, 5, 6, 7, 8, 9, 10});
    ASSERT_TRUE(profile.Save());
    const Json::Value file = ReadJsonFile(profilePath);
    EXPECT_EQ(file["profilename"].asString(), "p");
    EXPECT_EQ(file["Device"][1]["Other"].asInt(), 1);
    EXPECT_EQ(file["Device"][0]["LightInfo"]["Blue"].asInt(), 7);
}

TEST_F(ProfileTest, SaveAfterTheFileWasDamagedKeepsNameAndIdFromTheLastGoodRead) {
    WriteBytes(profilePath, R"({"profilename":"p","profileUUID":"u","Device":[{"LightInfo":{}}]})");
    CBasicProfiledata profile;
    Prepare(profile);
    profile.Load(profilePath);
    WriteBytes(profilePath, "garbage");
    profile.SetLightInfo({7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(profile.Save());
    const Json::Value file = ReadJsonFile(profilePath);
    EXPECT_EQ(file["profilename"].asString(), "p");
    EXPECT_EQ(file["profileUUID"].asString(), "u");
    EXPECT_EQ(file["Device"][0]["LightInfo"]["SelectItem"].asInt(), 7);

    std::filesystem::remove(profilePath); // and after it vanished
    ASSERT_TRUE(profile.Save());
    EXPECT_EQ(ReadJsonFile(profilePath)["profileUUID"].asString(), "u");
}

TEST_F(ProfileTest, SaveReportsFailure) {
    CBasicProfiledata profile;
    EXPECT_FALSE(profile.Save()); // no profile path
    profile.SetProfilePath(dir / "missing-folder" / "p.Json");
    EXPECT_FALSE(profile.Save());
}

TEST_F(ProfileTest, RecordIndexAndLightTypeAreRangeChecked) {
    CBasicProfiledata profile;
    EXPECT_FALSE(profile.SetRecordIndex(-1));
    EXPECT_FALSE(profile.SetRecordIndex(kMaxRecordIndex + 1));
    EXPECT_EQ(profile.GetRecordIndex(), 0);
    EXPECT_TRUE(profile.SetRecordIndex(1));
    EXPECT_FALSE(profile.SetLightType(1000));
    EXPECT_EQ(profile.GetLightType(), 0);
}

// Writes the profile, saves it, loads it into a new object and reads it back.
template <typename Profile, typename Write, typename Read>
void RoundTrip(const std::filesystem::path& path, const std::filesystem::path& defaults,
               Write write, Read read) {
    {
        Profile profile;
        profile.SetDefaultPath(defaults);
        profile.SetProfilePath(path);
        profile.Load(path);
        write(profile);
        ASSERT_TRUE(profile.Save());
    }
    Profile again;
    again.SetDefaultPath(defaults);
    again.SetProfilePath(path);
    again.Load(path);
    EXPECT_FALSE(again.GetLastLoadReport().fromDefault);
    read(again);
}

TEST_F(ProfileTest, LightInfoAndAudioLightInfoRoundTrip) {
    const LightInfo light{19, 4, 2, 1, 1, 10, 20, 30, 5, 3, 7};
    const AudioLightInfo audio{2, 1, 2, 3, 4, 5, 6, 1, 0};
    RoundTrip<CBasicProfiledata>(
        profilePath, defaultPath,
        [&](CBasicProfiledata& p) {
            p.SetLightInfo(light);
            p.SetAudioLightInfo(audio);
        },
        [&](CBasicProfiledata& p) {
            EXPECT_EQ(p.GetLightInfo(), light);
            EXPECT_EQ(p.GetAudioLightInfo(), audio);
            EXPECT_TRUE(p.GetDocument()["LightInfo"]["MultiColor"].isIntegral());
        });
}

TEST_F(ProfileTest, KeyListRoundTripKeepsDefaultsAndTrailingElements) {
    RoundTrip<CBasicProfiledata>(
        profilePath, defaultPath,
        [](CBasicProfiledata& p) {
            std::vector<KeyEntry> list = p.GetKeyList();
            ASSERT_EQ(list.size(), 3u);
            list.resize(2); // shorter than KeyList
            list[0].current.assignment = KeyAssignment::FromCode(2097412);
            list[1].current.assignment = EncodeMouseWheel({0, 0, true, 3});
            p.SetKeyList(list);
        },
        [](CBasicProfiledata& p) {
            const std::vector<KeyEntry> list = p.GetKeyList();
            ASSERT_EQ(list.size(), 3u);
            EXPECT_EQ(list[0].current.assignment, (KeyAssignment{0x20, 0x01, 0x04}));
            EXPECT_EQ(list[0].defaults.assignment, (KeyAssignment{0x20, 0x00, 0x1E}));
            EXPECT_EQ(list[1].current.assignment.code2, 0xFD);
            EXPECT_EQ(list[2].current.assignment, (KeyAssignment{0x20, 0x00, 0x20}));
            EXPECT_EQ(list[2].current.slot, 2);
            EXPECT_EQ(p.GetDocument()["KeyList"][0]["Assignment"].asUInt(), 2097412u);
        });
}

TEST_F(ProfileTest, SecondDocumentHasItsOwnKeyListAndFile) {
    const auto second = dir / "second.Json";
    CBasicProfiledata profile;
    Prepare(profile);
    profile.Load(profilePath);
    profile.LoadSecond(second);
    std::vector<KeyEntry> list = profile.GetSecondKeyList();
    ASSERT_EQ(list.size(), 3u);
    list[0].current.assignment = {0x10, 0x01, 0x00};
    profile.SetSecondKeyList(list);
    ASSERT_TRUE(profile.SaveSecond(second));
    EXPECT_EQ(ReadJsonFile(second)["Device"][0]["KeyList"][0]["Assignment"].asInt(), 0x100100);
    EXPECT_EQ(profile.GetKeyList()[0].current.assignment.type, 0x20);
}

TEST_F(ProfileTest, KeyboardSystemStagesCustomColorsAndGroupRoundTrip) {
    const KeyboardSystemStages stages{30, 2, 1, 3, 0, 1};
    const std::vector<CustomColor> colors{{1, 2, 3, 255}, {4, 5, 6, 128}};
    RoundTrip<CKeyboardProfiledata>(
        profilePath, defaultPath,
        [&](CKeyboardProfiledata& p) {
            const auto w = stages.ToWords();
            p.SetSystemStages(w[0], w[1], w[2]);
            EXPECT_TRUE(p.SetCustomColors(colors, 2));
            EXPECT_TRUE(p.SetCustomGroupIndex(2));
            EXPECT_FALSE(p.SetCustomColors(colors, kMaxCustomGroups));
            EXPECT_FALSE(p.SetCustomGroupIndex(-1));
        },
        [&](CKeyboardProfiledata& p) {
            EXPECT_EQ(KeyboardSystemStages::FromWords(p.GetSystemStages()), stages);
            EXPECT_EQ(p.GetDocument()["SystemStages"]["PollingRate"].asInt(), 3);
            EXPECT_EQ(p.GetCustomGroupIndex(), 2);
            const auto read = p.GetCustomColors(2, 4);
            ASSERT_EQ(read.size(), 4u);
            EXPECT_EQ(read[0], colors[0]);
            EXPECT_EQ(read[1], colors[1]);
            EXPECT_EQ(read[3], CustomColor{});
            // Missing colours were written as explicit zeros.
            EXPECT_EQ(p.GetDocument()["CustomLightMode"]["LightColorInfo"][2][3]["Alpha"].asInt(),
                      0);
        });
}

TEST_F(ProfileTest, CustomColorsOfAGroupOutsideTheRangeAreZeroAndWriteNothing) {
    CKeyboardProfiledata profile;
    Prepare(profile);
    profile.Load(profilePath);
    const Json::Value before = profile.GetDocument();
    EXPECT_EQ(profile.GetCustomColors(1000000, 3).size(), 3u);
    EXPECT_EQ(profile.GetCustomColors(-1, 1 << 30).size(),
              static_cast<std::size_t>(kMaxCustomColorCount));
    EXPECT_EQ(profile.GetDocument(), before);
}

TEST_F(ProfileTest, MouseStagesSettingsAndCorrectionsRoundTrip) {
    const std::vector<DpiStage> stages{{1, 0, 800, 800, 255, 0, 0},
                                       {1, 1, 16000, 12000, 0, 255, 0}};
    const MouseSystemStages settings{500, 10, 1, 3, 3, 2};
    RoundTrip<CMouseProfiledata>(
        profilePath, defaultPath,
        [&](CMouseProfiledata& p) {
            p.SetDpiStages(stages);
            EXPECT_TRUE(p.SetActiveStage(1));
            const auto w = settings.ToWords();
            p.SetSystemStages(w[0], w[1], w[2]);
        },
        [&](CMouseProfiledata& p) {
            EXPECT_EQ(p.GetDpiStages(), stages);
            EXPECT_EQ(p.GetActiveStage(), 1);
            EXPECT_EQ(MouseSystemStages::FromWords(p.GetSystemStages()), settings);
            EXPECT_EQ(p.GetDocument()["ReportStages"]["StageActive"].asInt(), 2);
        });
}

TEST_F(ProfileTest, DpiStagesMergeIntoTheCache) {
    CMouseProfiledata profile;
    Prepare(profile);
    profile.Load(profilePath);
    profile.SetDpiStages({{1, 0, 400, 400, 0, 0, 0},
                          {1, 0, 800, 800, 0, 0, 0},
                          {1, 0, 1600, 1600, 0, 0, 0},
                          {1, 0, 3200, 3200, 0, 0, 0}});
    // The document now holds four; make it hold two, as a file with two stages would.
    Json::Value doc = profile.GetDocument();
    doc["DPIStages"]["StageDPIs"].resize(2);
    doc["DPIStages"]["StageDPIs"][0]["StageDPIX"] = 100;
    WriteJsonFile(profilePath, ParseJsonText("{}").value);
    Json::Value file;
    file["Device"][0] = doc;
    WriteJsonFile(profilePath, file);
    profile.Load(profilePath);
    const auto merged = profile.GetDpiStages();
    ASSERT_EQ(merged.size(), 4u);
    EXPECT_EQ(merged[0].stageDpiX, 100);
    EXPECT_EQ(merged[3].stageDpiX, 3200);
}

TEST_F(ProfileTest, MouseReadsCorrectInfoAndIgnoresReportStageWithoutReportStages) {
    Json::Value file;
    file["Device"][0] = ParseJsonText(R"({
        "SystemStages": {"DoubleClickTime": 70000, "MouseSpeed": 10, "WheelScorlllinse": 3},
        "CorrectInfo": [{"CorrectPixThresh": 2, "CorrectMinSq": 3, "CorrectSelect": 1,
                         "CorrectName": "\u76f4\u7ebf"}, 7],
        "DPIStages": {"StageActive": 99999999999}})")
                            .value;
    WriteJsonFile(profilePath, file);
    CMouseProfiledata profile;
    Prepare(profile);
    profile.Load(profilePath);
    const SystemStageWords w = profile.GetSystemStages();
    EXPECT_EQ(LowHalf(w[0]), 70000 & 0xFFFF);
    EXPECT_EQ(HighHalf(w[2]), 0);
    const auto correct = profile.GetCorrectInfo();
    ASSERT_EQ(correct.size(), 2u);
    EXPECT_EQ(correct[0].correctName, "\xE7\x9B\xB4\xE7\xBA\xBF");
    EXPECT_EQ(correct[1], CorrectEntry{});
    profile.GetDpiStages();
    EXPECT_EQ(profile.GetActiveStage(), 0); // out of range reads as 0
}

TEST_F(ProfileTest, HeadsetSettingsAndEqualiserRoundTrip) {
    const HeadsetSystemSetStages stages{1, 2, 13, 1, 1, 80, 0, 50};
    const EqValues preset{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const EqValues custom{-6, -5, -4, -3, -2, -1, 0, 1, 2, 3};
    RoundTrip<CHs6533Profiledata>(
        profilePath, defaultPath,
        [&](CHs6533Profiledata& p) {
            p.SetSystemSetStages(stages);
            p.SetEqValues(4, preset);
            p.SetCustomEqNames({"Game", "\xE9\x9F\xB3\xE4\xB9\x90"});
            EXPECT_TRUE(p.SetCustomEqValues(1, custom));
            EXPECT_FALSE(p.SetCustomEqValues(-1, custom));
            EXPECT_FALSE(p.SetCustomEqValues(kMaxCustomEqCount, custom));
        },
        [&](CHs6533Profiledata& p) {
            EXPECT_EQ(p.GetSystemSetStages(), stages);
            EXPECT_EQ(p.GetEqValues(4), std::vector<std::int32_t>(preset.begin(), preset.end()));
            EXPECT_EQ(p.GetCustomEqNames(),
                      (std::vector<std::string>{"Game", "\xE9\x9F\xB3\xE4\xB9\x90"}));
            EXPECT_EQ(p.GetCustomEqValues(1),
                      std::vector<std::int32_t>(custom.begin(), custom.end()));
        });
}

TEST_F(ProfileTest, EqualiserPresetSelection) {
    CHs6533Profiledata profile;
    Prepare(profile);
    profile.Load(profilePath);
    const Json::Value before = profile.GetDocument();
    EXPECT_TRUE(profile.GetEqValues(13).empty());
    profile.SetEqValues(13, EqValues{});
    EXPECT_EQ(profile.GetDocument(), before); // type 13 writes nothing
    // 0 and anything above 13 (or negative) use preset 1; missing values are written as 0.
    EXPECT_EQ(profile.GetEqValues(0), std::vector<std::int32_t>(10, 0));
    EXPECT_EQ(profile.GetDocument()["EQHzValueInfo"][1].size(), 10u);
    profile.SetEqValues(20, EqValues{9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    EXPECT_EQ(profile.GetEqValues(0)[0], 9);
    EXPECT_EQ(profile.GetEqValues(-4)[9], 9);
    EXPECT_EQ(profile.GetEqValues(12), std::vector<std::int32_t>(10, 0));
}

TEST_F(ProfileTest, CustomEqValuesOutsideTheNamesAreZeroAndWriteNothing) {
    CHs6533Profiledata profile;
    Prepare(profile);
    profile.Load(profilePath);
    profile.SetCustomEqNames({"one"});
    const Json::Value before = profile.GetDocument();
    for (const int n : {1, 5, -1, 1 << 30})
        EXPECT_EQ(profile.GetCustomEqValues(n), std::vector<std::int32_t>(10, 0)) << n;
    EXPECT_EQ(profile.GetDocument(), before);
}

TEST_F(ProfileTest, LightListReadsPresenceAndBooleans) {
    Json::Value file;
    file["Device"][0] = ParseJsonText(R"({"LightList": [null,
        {"LEDREGMode": 2, "LEDBrightness": 4, "LEDSpeed": 1, "LEDDirection": 5,
         "LEDMultiColor": true, "red": 256, "green": -1, "blue": "x"}, 3]})")
                            .value;
    WriteJsonFile(profilePath, file);
    CBasicProfiledata profile;
    Prepare(profile);
    profile.Load(profilePath);
    const auto list = profile.GetLightList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], LightListEntry{});
    EXPECT_EQ(list[1], (LightListEntry{2, 4, 1, 1, 1, 0, 255, 0, 1}));
    EXPECT_EQ(list[2].present, 1);
}

// Every typed reader of every class on a document full of values of the wrong kind.
TEST_F(ProfileTest, HostileValuesNeverThrow) {
    const char* hostile[] = {
        R"({"Device":[{"LightInfo":[1,2],"AudioLightInfo":"x","LightList":{"a":1},
            "KeyList":[1,"x",{"Assignment":"big","DefaultAssignment":1e300}],
            "SystemStages":[],"CustomLightMode":{"LightColorInfo":{"0":1},
            "CustomLightModeGroupIndex":-7},"DPIStages":{"StageDPIs":5,"StageActive":"1"},
            "ReportStages":7,"CorrectInfo":"no","SystemSetStages":{"EqType":[]},
            "EQHzValueInfo":"x","CustomEQNameInfo":[{"Name":5},null],
            "CustomEQHzValueInfo":[[{"value":{}}]]}]})",
        R"({"Device":[{"LightInfo":{"Red":1e30,"Green":-1e30,"Blue":true,"Light":null},
            "KeyList":[{"Assignment":18446744073709551615}],
            "DPIStages":{"StageDPIs":[1,[],{"StageDPIX":99999999}]},
            "CustomLightMode":{"LightColorInfo":[[1,{"Red":"r"}]]}}]})",
        R"({"Device":[7]})",
        R"({"Device":[[[[[]]]]]})",
        R"([1,2,3])",
    };
    for (const char* text : hostile) {
        WriteBytes(profilePath, text);
        CKeyboardProfiledata keyboard;
        Prepare(keyboard);
        keyboard.Load(profilePath);
        keyboard.GetLightInfo();
        keyboard.GetAudioLightInfo();
        keyboard.GetLightList();
        keyboard.GetKeyList();
        keyboard.GetSystemStages();
        keyboard.GetCustomGroupIndex();
        keyboard.GetCustomColors(0, 170);
        keyboard.GetEffectFrames();
        EXPECT_TRUE(keyboard.Save()) << text;

        WriteBytes(profilePath, text);
        CMouseProfiledata mouse;
        Prepare(mouse);
        mouse.Load(profilePath);
        mouse.GetDpiStages();
        mouse.GetSystemStages();
        mouse.GetCorrectInfo();

        WriteBytes(profilePath, text);
        CHs6533Profiledata headset;
        Prepare(headset);
        headset.Load(profilePath);
        headset.GetSystemSetStages();
        headset.GetEqValues(3);
        headset.GetCustomEqNames();
        headset.GetCustomEqValues(0);
        EXPECT_TRUE(headset.Save()) << text;
    }
    // The second file's values: low bits kept, out-of-range reals as 0.
    WriteBytes(profilePath, hostile[1]);
    CMouseProfiledata mouse;
    Prepare(mouse);
    mouse.Load(profilePath);
    const LightInfo light = mouse.GetLightInfo();
    EXPECT_EQ(light.red, 0);
    EXPECT_EQ(light.blue, 1);
    EXPECT_EQ(mouse.GetKeyList()[0].current.assignment, (KeyAssignment{0xFF, 0xFF, 0xFF}));
    const auto stages = mouse.GetDpiStages();
    ASSERT_EQ(stages.size(), 3u);
    EXPECT_EQ(stages[2].stageDpiX, 99999999 & 0xFFFF);
}

class EffectFrameTest : public ProfileTest {
protected:
    void WriteConfig(const std::string& guid) {
        Json::Value config;
        config["LightInfo"][0][0]["LightName"] = "keyboard effect";
        config["LightInfo"][0][0]["Guid"] = "wrong-type";
        config["LightInfo"][0][3]["Guid"] = guid; // mode 3 of light type 0
        config["LightInfo"][1][3]["Guid"] = "mouse-effect";
        WriteJsonFile(dir / "zemra_light.config", config);
        Json::Value effect;
        for (int i = 0; i < 2; ++i) {
            Json::Value frame;
            frame["LEDREGMode"] = 1;
            frame["red"] = 10 * (i + 1);
            frame["Time"] = 500;
            frame["Cyle"] = -1;
            effect["LEDEffectList"].append(frame);
        }
        WriteJsonFile(dir / "keyboard-effect.light", effect);
        WriteJsonFile(dir / "mouse-effect.light", Json::Value(Json::objectValue));
    }
};

TEST_F(EffectFrameTest, FramesComeFromTheLightTypeAndModeInTheDeviceFolder) {
    WriteConfig("keyboard-effect");
    CBasicProfiledata profile;
    Prepare(profile);
    profile.Load(profilePath);
    profile.SetLightConfigPath(dir / "zemra_light.config");
    profile.LoadLightConfig(dir / "zemra_light.config");
    profile.GetLightInfo(); // mode 3 from the default file
    const auto frames = profile.GetEffectFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].red, 20);
    EXPECT_EQ(frames[1].time, 500);
    EXPECT_EQ(frames[1].cyle, -1);
    profile.SetLightType(1);
    EXPECT_TRUE(profile.GetEffectFrames().empty());
}

TEST_F(EffectFrameTest, EffectIdsThatLeaveTheFolderAreRefused) {
    for (const std::string guid : {"../keyboard-effect", "/etc/passwd", "", "a/b", ".."}) {
        WriteConfig(guid);
        CBasicProfiledata profile;
        Prepare(profile);
        profile.Load(profilePath);
        profile.SetLightConfigPath(dir / "zemra_light.config");
        profile.LoadLightConfig(dir / "zemra_light.config");
        profile.GetLightInfo();
        EXPECT_TRUE(profile.GetEffectFrames().empty()) << guid;
    }
    EXPECT_TRUE(IsSafeFileId("{0A1B-2C3D}"));
    EXPECT_TRUE(IsSafeFileId("2024_03_05_14_07_09_042"));
}

} // namespace
} // namespace vpc::data
