#include "DataFolders.h"
#include "JsonFile.h"
#include "LanguageSettings.h"
#include "PaletteFile.h"
#include "SkinSettings.h"

#include "TempFolder.h"

#include <QtGlobal>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace vpc::data {
namespace {

using test::ReadBytes;
using test::ScopedEnv;
using test::TempFolder;
using test::WriteBytes;

TEST(DataFolders, OverriddenRootsAreUsedAndCreated) {
    TempFolder dir;
    const ScopedEnv user(kUserRootEnv, (dir / "user").string());
    const ScopedEnv defaults(kDefaultDataEnv, (dir / "defaults").string());
    const ScopedEnv cache(kCacheDirEnv, (dir / "cache").string());

    EXPECT_EQ(GetUserDataRoot(), dir / "user");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "user"));
    EXPECT_EQ(GetDefaultDataFolder(), dir / "defaults");
    EXPECT_FALSE(std::filesystem::exists(dir / "defaults")); // never created

    for (const std::string_view name : kDeviceFolderNames) {
        EXPECT_EQ(GetDeviceFolder(name), dir / "user" / std::string(name));
        EXPECT_TRUE(std::filesystem::is_directory(dir / "user" / std::string(name)));
    }
    EXPECT_TRUE(GetDeviceFolder("../escape").empty());

    const auto update = GetUpdateFolder();
    EXPECT_EQ(update, dir / "cache" / "UpdateData");
    struct stat info {};
    ASSERT_EQ(::stat(update.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

TEST(DataFolders, ExistingUpdateFolderIsMadePrivateAndASymlinkIsRefused) {
    TempFolder dir;
    const ScopedEnv cache(kCacheDirEnv, dir.path().string());
    std::filesystem::create_directory(dir / "UpdateData");
    ::chmod((dir / "UpdateData").c_str(), 0777);
    ASSERT_FALSE(GetUpdateFolder().empty());
    struct stat info {};
    ::stat((dir / "UpdateData").c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0700u);

    TempFolder other;
    const ScopedEnv cache2(kCacheDirEnv, other.path().string());
    std::filesystem::create_directory_symlink(dir.path(), other / "UpdateData");
    EXPECT_TRUE(GetUpdateFolder().empty());
}

TEST(DataFolders, DefaultDataFolderWithoutOverrideIsTheShippedFolder) {
    const ScopedEnv none(kDefaultDataEnv, "");
    EXPECT_TRUE(std::filesystem::exists(GetDefaultDataFolder() / "Language.config"))
        << GetDefaultDataFolder();
}

int criticalMessages = 0;
void CountCriticalMessages(QtMsgType type, const QMessageLogContext&, const QString&) {
    if (type == QtCriticalMsg)
        ++criticalMessages;
}

TEST(DataFolders, CheckCreatesTheDeviceFoldersAndReportsAnUnusableRootOnce) {
    TempFolder dir;
    {
        const ScopedEnv user(kUserRootEnv, (dir / "root").string());
        const UserRootCheck check = CheckUserDataRoot();
        EXPECT_TRUE(check.ok) << check.message;
        for (const std::string_view name : kDeviceFolderNames)
            EXPECT_TRUE(std::filesystem::is_directory(dir / "root" / std::string(name)));
    }
    WriteBytes(dir / "file", "x");
    const ScopedEnv user(kUserRootEnv, (dir / "file" / "root").string());
    criticalMessages = 0;
    const QtMessageHandler previous = qInstallMessageHandler(CountCriticalMessages);
    const UserRootCheck check = CheckUserDataRoot();
    const UserRootCheck again = CheckUserDataRoot();
    qInstallMessageHandler(previous);
    EXPECT_FALSE(check.ok);
    EXPECT_FALSE(again.ok);
    EXPECT_NE(check.message.find((dir / "file" / "root").string()), std::string::npos);
    EXPECT_EQ(criticalMessages, 1); // reported once, not at every check
}

// Language list with English and Simplified Chinese, as shipped.
class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(dir / "Language.config", R"({"Language":[
            {"Language_ID":1033,"Language_name":"English","Language_file":"language/en.json",
             "Language_text":"language_text_0"},
            {"Language_ID":2052,"Language_name":"\u7b80\u4f53\u4e2d\u6587",
             "Language_file":"language/zh_CN.json","Language_text":"language_text_1"}]})");
    }
    CLanguageSettings Settings() {
        return CLanguageSettings(dir / "Language.config", dir / "settings.json");
    }
    TempFolder dir;
};

TEST_F(LanguageTest, FirstStartUsesIndexZeroAndCreatesTheSettingsFile) {
    CLanguageSettings settings = Settings();
    EXPECT_EQ(settings.GetStoredLanguageIndex(), 0);
    EXPECT_EQ(ReadJsonFile(dir / "settings.json")["LANGUAGE"].asInt(), 1033);
}

TEST_F(LanguageTest, ChoiceIsKeptAcrossStarts) {
    {
        CLanguageSettings settings = Settings();
        settings.GetStoredLanguageIndex();
        const LanguageChange change = settings.SetLanguage(1);
        EXPECT_TRUE(change.changed);
        ASSERT_TRUE(change.entry.has_value());
        EXPECT_EQ(change.entry->file, "language/zh_CN.json");
        EXPECT_TRUE(change.stored);
    }
    EXPECT_EQ(Settings().GetStoredLanguageIndex(), 1);
}

TEST_F(LanguageTest, StoredValuesThatMatchNothingGiveIndexZero) {
    for (const std::string text : {R"({"LANGUAGE":520})", R"({"LANGUAGE":"2052"})",
                                   R"({"LANGUAGE":1e300})", "[1]", "garbage"}) {
        WriteBytes(dir / "settings.json", text);
        EXPECT_EQ(Settings().GetStoredLanguageIndex(), 0) << text;
    }
}

TEST_F(LanguageTest, StoringKeepsOtherMembers) {
    WriteBytes(dir / "settings.json", R"({"LANGUAGE":1033,"Other":true})");
    CLanguageSettings settings = Settings();
    EXPECT_TRUE(settings.StoreLanguageId(2052));
    const Json::Value file = ReadJsonFile(dir / "settings.json");
    EXPECT_EQ(file["LANGUAGE"].asInt(), 2052);
    EXPECT_TRUE(file["Other"].asBool());
}

TEST_F(LanguageTest, SetLanguageTwiceDoesNothingAndAnIndexOutsideTheListStoresNothing) {
    CLanguageSettings settings = Settings();
    EXPECT_TRUE(settings.SetLanguage(0).changed);
    EXPECT_FALSE(settings.SetLanguage(0).changed);
    const LanguageChange far = settings.SetLanguage(9);
    EXPECT_TRUE(far.changed);
    EXPECT_FALSE(far.entry.has_value());
    EXPECT_FALSE(far.stored);
    EXPECT_EQ(settings.GetCurrentIndex(), 9);
}

TEST(LanguageFonts, FaceChoiceTable) {
    struct Case {
        int to;
        int from;
        const char* face; // nullptr: no font change
    };
    const Case cases[] = {
        {0, -1, "汉仪菱心体简"},
        {15, 3, "Noto Sans Thai"},
        {2, 5, "Noto Sans CJK TC Regular"},
        {5, 2, "Verdana Unicode MS"},
        {1, -1, "Verdana Unicode MS"},
        {1, 0, "Verdana Unicode MS"},
        {6, 5, nullptr},
    };
    for (const Case& c : cases) {
        const auto face = ChooseFontFace(c.to, c.from);
        if (c.face) {
            EXPECT_EQ(face.value_or("<none>"), c.face) << c.from << "->" << c.to;
        } else {
            EXPECT_FALSE(face.has_value()) << c.from << "->" << c.to;
        }
    }
    EXPECT_EQ(LanguageFontSet().size(), 14u);
    EXPECT_TRUE(LanguageFontSet()[2].underline);
    EXPECT_TRUE(LanguageFontSet()[13].bold);
}

TEST(PaletteFile, FirstOpenCopiesTheDefaultsAndColoursRoundTrip) {
    TempFolder dir;
    Json::Value defaults;
    for (int i = 0; i < kPaletteSize; ++i) {
        defaults["coloroptioninfo"]["palletDialogcoloroption"][i]["color"] = "FFFF0000";
        defaults["coloroptioninfo"]["palletDialogcollectcoloroption"][i]["color"] = "FFFFFFFF";
        defaults["coloroptioninfo"]["palletDialogcollectcoloroption"][i]["UserData"] = "0";
    }
    defaults["coloroptioninfo"]["palletDialogcoloroption_selectitem"] = 0;
    defaults["coloroptioninfo"]["palletDialogcollectcoloroption_selectitem"] = -1;
    WriteJsonFile(dir / "default.config", defaults);

    CPaletteFile palette(dir / kPaletteFileName, dir / "default.config");
    ASSERT_TRUE(palette.OpenPaletteFile());
    EXPECT_EQ(ReadJsonFile(dir / kPaletteFileName), defaults);

    std::array<std::uint32_t, kPaletteSize> colors{};
    for (int i = 0; i < kPaletteSize; ++i)
        colors[static_cast<std::size_t>(i)] = 0xFF000000u + static_cast<std::uint32_t>(i);
    ASSERT_TRUE(palette.SaveStandardColors(colors, 7));
    const StandardColors standard = palette.LoadStandardColors();
    EXPECT_EQ(standard.selectItem, 7);
    EXPECT_EQ(standard.colors[19], 0xFF000013u);
    EXPECT_EQ(ReadJsonFile(
                  dir / kPaletteFileName)["coloroptioninfo"]["palletDialogcoloroption"][10]["color"]
                  .asString(),
              "FF00000A");

    SavedColors saved;
    saved.colors[0] = {0xFF123456, "1"};
    saved.colors[1] = {0xFF654321, "0"}; // not a saved slot: shown and written white
    saved.selectItem = 0;
    ASSERT_TRUE(palette.SaveSavedColors(saved));
    const SavedColors read = palette.LoadSavedColors();
    EXPECT_EQ(read.colors[0].ShownColor(), 0xFF123456u);
    EXPECT_EQ(read.colors[1].ShownColor(), kPaletteWhite);
    EXPECT_EQ(read.selectItem, -1);
    EXPECT_EQ(
        ReadJsonFile(
            dir / kPaletteFileName)["coloroptioninfo"]["palletDialogcollectcoloroption"][1]["color"]
            .asString(),
        "FFFFFFFF");
}

TEST(PaletteFile, DamagedUserFileIsKeptAndReplacedAndBadColoursAreIgnored) {
    TempFolder dir;
    WriteBytes(dir / "default.config", R"({"coloroptioninfo":{
        "palletDialogcoloroption":[{"color":"zz"},{"color":5},{"color":"123456789"}],
        "palletDialogcoloroption_selectitem":77}})");
    WriteBytes(dir / kPaletteFileName, "{broken");
    CPaletteFile palette(dir / kPaletteFileName, dir / "default.config");
    ASSERT_TRUE(palette.OpenPaletteFile());
    const StandardColors standard = palette.LoadStandardColors();
    EXPECT_FALSE(standard.colors[0].has_value());
    EXPECT_FALSE(standard.colors[1].has_value());
    EXPECT_FALSE(standard.colors[2].has_value());
    EXPECT_FALSE(standard.selectItem.has_value());
    int kept = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        kept += e.path().filename().string().find(".corrupt-") != std::string::npos;
    EXPECT_EQ(kept, 1);
}

TEST(PaletteFile, BothFilesMissingReportFailure) {
    TempFolder dir;
    CPaletteFile palette(dir / kPaletteFileName, dir / "absent.config");
    EXPECT_FALSE(palette.OpenPaletteFile());
    EXPECT_FALSE(palette.LoadStandardColors().selectItem.has_value());
    EXPECT_EQ(palette.LoadSavedColors().colors[0].ShownColor(), kPaletteWhite);
}

TEST(SkinSettings, ChoiceAndResetAreWrittenAndReadBack) {
    TempFolder dir;
    const auto ini = dir / kSkinFileName;
    EXPECT_FALSE(ReadSkinImage(ini).has_value());
    ASSERT_TRUE(WriteSkinImage(ini, true, "skin/bg3.png"));
    EXPECT_EQ(ReadSkinImage(ini), (SkinImage{true, "skin/bg3.png"}));
    ASSERT_TRUE(ResetSkinImage(ini));
    EXPECT_EQ(ReadBytes(ini), "[SKINIMAGE]\nFLAGS=0\nIMAGE=common/background.png\n");
    EXPECT_EQ(ReadSkinImage(ini), (SkinImage{false, "common/background.png"}));
}

TEST(SkinSettings, OtherSectionsSurviveAndBadInputIsRefused) {
    TempFolder dir;
    const auto ini = dir / kSkinFileName;
    WriteBytes(ini, "[OTHER]\nA=1\n[skinimage]\nflags=1\nIMAGE=old.png\nKEEP=yes\n");
    ASSERT_TRUE(WriteSkinImage(ini, true, "new.png"));
    const std::string text = ReadBytes(ini);
    EXPECT_NE(text.find("[OTHER]\nA=1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("KEEP=yes"), std::string::npos) << text;
    EXPECT_EQ(text.find("old.png"), std::string::npos) << text;
    EXPECT_EQ(ReadSkinImage(ini), (SkinImage{true, "new.png"}));

    EXPECT_FALSE(WriteSkinImage(ini, true, "a\nFLAGS=7"));
    EXPECT_FALSE(WriteSkinImage(ini, true, std::string(5000, 'a')));
    WriteBytes(ini, "[SKINIMAGE]\nFLAGS=7\nIMAGE=x\n");
    EXPECT_FALSE(ReadSkinImage(ini).has_value());
}

} // namespace
} // namespace vpc::data
