// The music style record and "AudioFile.json": reading and writing the keys, the record sent to
// the companion, and the user copy made from, saved over and reset to the default copy.
#include "JsonFile.h"
#include "MusicStyle.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace vpc::panels {
namespace {

MusicStyle DistinctStyle() {
    MusicStyle style;
    style.style = 2;
    style.names = {"Bass", "Mitte", "高音", "Vier"};
    style.colors = {1, 2, 3, 4, 5, 6, 7, 0, 9, 8, 6, 5};
    return style;
}

std::array<std::int32_t, 3> SentColour(const MusicStyle& style) {
    const auto record = MusicStyleRecord(style);
    std::array<std::int32_t, 3> rgb{};
    std::memcpy(rgb.data(), record.data(), sizeof(rgb));
    for (std::size_t i = 12; i < record.size(); ++i)
        EXPECT_EQ(record[i], 0) << "byte " << i << " after the three integers";
    return rgb;
}

TEST(MusicStyle, TheRecordSendsTheSelectedGroupWithGreenZeroAsOne) {
    MusicStyle style = DistinctStyle();
    EXPECT_EQ(SentColour(style), (std::array<std::int32_t, 3>{7, 1, 9})) << "group 2: green 0 -> 1";
    style.style = 1;
    EXPECT_EQ(SentColour(style), (std::array<std::int32_t, 3>{4, 5, 6}));
    style.style = 3;
    EXPECT_EQ(SentColour(style), (std::array<std::int32_t, 3>{8, 6, 5}));
}

TEST(MusicStyle, KeysAreWrittenAndReadBack) {
    const MusicStyle style = DistinctStyle();
    const Json::Value info = WriteMusicStyle(style);
    EXPECT_EQ(info["nAudioStyle"].asInt(), 2);
    EXPECT_EQ(info["nStyleName3"].asString(), "高音");
    EXPECT_EQ(info["nStyleR2"].asInt(), 7);
    EXPECT_EQ(info["nStyleG2"].asInt(), 0);
    EXPECT_EQ(info["nStyleB3"].asInt(), 5);
    EXPECT_EQ(ReadMusicStyle(info), style);
}

TEST(MusicStyle, OutOfRangeAndWrongValuesAreHeldToTheirRanges) {
    Json::Value info(Json::objectValue);
    info["nAudioStyle"] = 7;
    info["nStyleR0"] = 12;
    info["nStyleG0"] = -3;
    info["nStyleB0"] = "5";
    info["nStyleName1"] = 42;
    const MusicStyle style = ReadMusicStyle(info);
    EXPECT_EQ(style.style, 3);
    EXPECT_EQ(style.Component(0, 0), 9);
    EXPECT_EQ(style.Component(0, 1), 0);
    EXPECT_EQ(style.Component(0, 2), 0);
    EXPECT_EQ(style.names[0], "");
    EXPECT_EQ(ReadMusicStyle(Json::Value(Json::arrayValue)), MusicStyle{});
}

class MusicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_default = std::filesystem::path(m_dir.path().toStdString()) / "DefaultData";
        m_user = std::filesystem::path(m_dir.path().toStdString()) / "user";
        std::filesystem::create_directories(m_default);
        std::filesystem::create_directories(m_user);
        Json::Value file;
        MusicStyle defaults;
        defaults.style = 1;
        defaults.names = {"D1", "D2", "D3", "D4"};
        defaults.colors = {9, 0, 0, 0, 9, 0, 0, 0, 9, 6, 0, 3};
        file["Device"]["AudioLightInfo"] = WriteMusicStyle(defaults);
        file["Device"]["Other"] = "kept";
        ASSERT_TRUE(data::WriteJsonFile(m_default / kMusicFileName, file));
        m_defaults = defaults;
    }
    QTemporaryDir m_dir;
    std::filesystem::path m_default;
    std::filesystem::path m_user;
    MusicStyle m_defaults;
};

TEST_F(MusicFileTest, TheFirstStartCopiesTheDefaultFile) {
    CMusicSettingsFile file(m_default, m_user);
    file.Open();
    EXPECT_EQ(file.Current(), m_defaults);
    EXPECT_EQ(data::ReadJsonFile(m_user / kMusicFileName),
              data::ReadJsonFile(m_default / kMusicFileName));
}

TEST_F(MusicFileTest, SavingKeepsTheRestOfTheUserFileAndResetRestoresTheDefault) {
    CMusicSettingsFile file(m_default, m_user);
    file.Open();
    Json::Value user = data::ReadJsonFile(m_user / kMusicFileName);
    user["Comment"] = "the user's own";
    ASSERT_TRUE(data::WriteJsonFile(m_user / kMusicFileName, user));

    file.StoreMusicStyle(DistinctStyle());
    ASSERT_TRUE(file.SaveMusicFile());
    const Json::Value saved = data::ReadJsonFile(m_user / kMusicFileName);
    EXPECT_EQ(saved["Comment"].asString(), "the user's own");
    EXPECT_EQ(saved["Device"]["Other"].asString(), "kept");
    EXPECT_EQ(ReadMusicStyle(saved["Device"]["AudioLightInfo"]), DistinctStyle());

    CMusicSettingsFile again(m_default, m_user);
    again.Open();
    EXPECT_EQ(again.Current(), DistinctStyle());

    again.ResetMusicFile();
    EXPECT_EQ(again.Current(), m_defaults);
    EXPECT_EQ(data::ReadJsonFile(m_user / kMusicFileName),
              data::ReadJsonFile(m_default / kMusicFileName));
}

TEST_F(MusicFileTest, ABrokenUserFileIsReplacedByTheDefaultAndAMissingDefaultKeepsTheUserFile) {
    {
        std::ofstream broken(m_user / kMusicFileName);
        broken << "[1, 2";
    }
    CMusicSettingsFile file(m_default, m_user);
    file.Open();
    EXPECT_EQ(file.Current(), m_defaults);

    file.StoreMusicStyle(DistinctStyle());
    ASSERT_TRUE(file.SaveMusicFile());
    std::filesystem::remove(m_default / kMusicFileName);
    file.ResetMusicFile();
    EXPECT_EQ(file.Current(), DistinctStyle()) << "nothing to reset to: the saved style stays";
    EXPECT_EQ(
        ReadMusicStyle(data::ReadJsonFile(m_user / kMusicFileName)["Device"]["AudioLightInfo"]),
        DistinctStyle());
}

TEST_F(MusicFileTest, AUserFileThatIsAnArrayReadsAsNone) {
    ASSERT_TRUE(data::WriteJsonFile(m_user / kMusicFileName, Json::Value(Json::arrayValue)));
    CMusicSettingsFile file(m_default, m_user);
    file.Open();
    EXPECT_EQ(file.Current(), m_defaults);
}

} // namespace
} // namespace vpc::panels
