// The macro store: the encoded actions and the image, the naming rules, removal with every
// profile's keys following (also when cut short), and files that are not what they claim.
#include "JsonFile.h"
#include "MacroImage.h"
#include "MacroStore.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

namespace vpc::data {
namespace {

using test::TempFolder;

Json::Value Action(const char* kind, int button, int type, Json::Value delay) {
    Json::Value action;
    action["Action"] = kind;
    action["Button"] = button;
    action["Type"] = type;
    action["Delay"] = std::move(delay);
    return action;
}

TEST(MacroImageTest, ActionsAndTheImageHaveTheirBytes) {
    struct Case {
        Json::Value action;
        EncodedMacroAction bytes;
    };
    Json::Value noDelay = Action("down", 0x02, 9, 0);
    noDelay.removeMember("Delay");
    const Case cases[] = {
        {Action("down", 4, 10, "50"), {0x32, 0x00, 0x8A, 0x04}},
        {Action("down", 7, 10, "70000"), {0x70, 0x11, 0x8A, 0x07}},
        {Action("up", 2, 1, "65535"), {0xFF, 0xFF, 0x01, 0x02}},
        {Action("Down", 9, 5, 300), {0x2C, 0x01, 0x05, 0x09}}, // only "down" is down
        {Action("down", 16, 4, "12abc"), {0x0C, 0x00, 0x84, 0x10}},
        {Action("up", 5, 10, "abc"), {0x00, 0x00, 0x0A, 0x05}},
        {noDelay, {0x00, 0x00, 0x89, 0x02}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EncodeMacroAction(c.action), c.bytes) << c.action.toStyledString();

    const EncodedMacro three = {{1, 0, 0x8A, 4}, {2, 0, 0x0A, 4}, {3, 0, 0x81, 1}};
    const std::vector<EncodedMacro> one = {three};
    const std::vector<std::uint8_t> image = BuildMacroImage(one);
    const std::vector<std::uint8_t> expected = {
        0xAA, 0x55, 0x22, 0x00, 0x01, 0x00, 0, 0,    0, 0, 0, 0,    0, 0, 0, 0,    0x12,
        0x00, 0x03, 0x00, 0x00, 0x00, 1,    0, 0x8A, 4, 2, 0, 0x0A, 4, 3, 0, 0x81, 1};
    EXPECT_EQ(image, expected);

    // two macros: the second block starts after the first, and both decode again
    const EncodedMacro two = {{9, 8, 0x85, 7}, {6, 5, 0x04, 3}};
    const std::vector<EncodedMacro> both = {two, three};
    const std::vector<std::uint8_t> pair = BuildMacroImage(both);
    ASSERT_EQ(pair.size(), 16u + 6 + 6 + 4 * 5);
    EXPECT_EQ(pair[16] | (pair[17] << 8), 20);
    EXPECT_EQ(pair[18] | (pair[19] << 8), 20 + 4 + 8);
    const auto decoded = DecodeMacroImage(pair);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->size(), 2u);
    EXPECT_EQ((*decoded)[0].actions, two);
    EXPECT_EQ((*decoded)[1].actions, three);
    std::vector<std::uint8_t> cut = pair;
    cut.resize(30);
    EXPECT_FALSE(DecodeMacroImage(cut));
}

class MacroStoreTest : public ::testing::Test {
protected:
    std::filesystem::path Folder() const { return dir.path(); }
    std::vector<std::string> Names(const CMacroStore& store) const {
        std::vector<std::string> names;
        for (const MacroInfo& m : store.List())
            names.push_back(m.name);
        return names;
    }
    // A profile file with keys on macros: Assignment and DefaultAssignment codes.
    void WriteProfile(const std::string& id, const std::vector<std::pair<int, int>>& keys) {
        Json::Value profile;
        for (const auto& [current, defaults] : keys) {
            Json::Value key;
            key["Assignment"] = current;
            key["DefaultAssignment"] = defaults;
            profile["Device"][0]["KeyList"].append(key);
        }
        profile["Device"][0]["LightInfo"]["Red"] = 33;
        ASSERT_TRUE(WriteJsonFile(Folder() / (id + ".Json"), profile));
    }
    std::vector<int> Keys(const std::string& id) const {
        const Json::Value profile = ReadJsonFile(Folder() / (id + ".Json"));
        std::vector<int> keys;
        for (const Json::Value& key : profile["Device"][0]["KeyList"])
            keys.push_back(key["Assignment"].asInt());
        return keys;
    }
    TempFolder dir;
};

TEST_F(MacroStoreTest, NamesAreTheFirstFreeAndFiftyIsTheLimit) {
    Json::Value list;
    list["MacroInfo"][0]["MacroName"] = "macro_1";
    list["MacroInfo"][0]["Guid"] = "2024_01_01_00_00_00_001";
    list["MacroInfo"][1]["MacroName"] = "Macro_3";
    list["MacroInfo"][1]["Guid"] = "2024_01_01_00_00_00_003";
    list["Other"] = "kept";
    ASSERT_TRUE(WriteJsonFile(Folder() / kMacroListFileName, list));
    CMacroStore store(Folder());
    EXPECT_EQ(store.Add(), "macro_2");
    EXPECT_EQ(store.Add(), "macro_4");
    EXPECT_EQ(ReadJsonFile(Folder() / kMacroListFileName)["Other"], "kept");
    EXPECT_EQ(store.Rename(0, "MACRO_1"), CMacroStore::RenameResult::Taken);
    EXPECT_EQ(store.Rename(0, "MACRO_2"), CMacroStore::RenameResult::Taken);
    EXPECT_EQ(store.Rename(0, "  "), CMacroStore::RenameResult::Blank);
    EXPECT_EQ(store.Rename(4, "x"), CMacroStore::RenameResult::NoMacro);
    EXPECT_EQ(store.Rename(0, "Reload"), CMacroStore::RenameResult::Renamed);
    EXPECT_EQ(Names(store)[0], "Reload");

    while (store.List().size() < 50)
        ASSERT_FALSE(store.Add().empty());
    EXPECT_EQ(store.Add(), "");
    const Json::Value macro = [] {
        Json::Value m;
        m["Events"].append(Action("down", 4, 10, "5"));
        return m;
    }();
    ASSERT_TRUE(WriteJsonFile(Folder() / "import.json", macro));
    EXPECT_EQ(store.Import(Folder() / "import.json"), "");
    EXPECT_EQ(store.List().size(), 50u);
}

TEST_F(MacroStoreTest, RemovingAMacroMovesTheKeysOfEveryProfile) {
    CMacroStore store(Folder());
    for (int i = 0; i < 3; ++i)
        ASSERT_FALSE(store.Add().empty());
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(store.SaveEvents(i, {Action("down", 4 + i, 10, "10")}));
    const std::filesystem::path removedFile = store.MacroFile(1);
    ASSERT_TRUE(std::filesystem::exists(removedFile));
    // keys on macros 0, 1, 2 (type 0x70 and 0x71) in two profiles; 0x200029 is Esc
    WriteProfile(
        "2024_02_02_00_00_00_000",
        {{0x700000, 0x200029}, {0x700100, 0x20002A}, {0x710203, 0x20002B}, {0x200004, 0x200004}});
    WriteProfile("2024_02_02_00_00_00_001", {{0x700200, 0x20002C}});
    EXPECT_FALSE(store.Remove(1, 4)) << "the list has three, not four";
    EXPECT_EQ(store.List().size(), 3u);

    ASSERT_TRUE(store.Remove(1, 3));
    EXPECT_EQ(Keys("2024_02_02_00_00_00_000"),
              (std::vector<int>{0x700000, 0x20002A, 0x710103, 0x200004}));
    EXPECT_EQ(Keys("2024_02_02_00_00_00_001"), (std::vector<int>{0x700100}));
    EXPECT_EQ(
        ReadJsonFile(Folder() / "2024_02_02_00_00_00_001.Json")["Device"][0]["LightInfo"]["Red"],
        33);
    EXPECT_EQ(Names(store), (std::vector<std::string>{"macro_1", "macro_3"}));
    EXPECT_FALSE(std::filesystem::exists(removedFile));
    EXPECT_EQ(EncodeMacroAction(store.Events(1).at(0))[3], 6) << "macro_3 kept its file";
    EXPECT_FALSE(store.Recover()) << "nothing left to finish";
}

TEST_F(MacroStoreTest, ARemovalCutShortIsFinishedAtTheNextStart) {
    // the state a removal of macro 0 leaves when it is stopped after its journal
    CMacroStore store(Folder());
    ASSERT_FALSE(store.Add().empty());
    ASSERT_FALSE(store.Add().empty());
    ASSERT_TRUE(store.SaveEvents(0, {Action("down", 4, 10, "1")}));
    WriteProfile("2024_03_03_00_00_00_000", {{0x700100, 0x200029}, {0x700000, 0x20002A}});
    const std::string guid = store.List()[0].guid;
    Json::Value list = ReadJsonFile(Folder() / kMacroListFileName);
    Json::Value gone;
    list["MacroInfo"].removeIndex(0, &gone);
    ASSERT_TRUE(WriteJsonFile(Folder() / "macro.config.macro-pending", list));
    Json::Value profile = ReadJsonFile(Folder() / "2024_03_03_00_00_00_000.Json");
    profile["Device"][0]["KeyList"][0]["Assignment"] = 0x700000;
    profile["Device"][0]["KeyList"][1]["Assignment"] = 0x20002A;
    ASSERT_TRUE(WriteJsonFile(Folder() / "2024_03_03_00_00_00_000.Json.macro-pending", profile));
    Json::Value journal;
    journal["Guid"] = guid;
    journal["Files"].append("2024_03_03_00_00_00_000.Json");
    journal["Files"].append("macro.config");
    journal["Files"].append("../escape.Json");
    ASSERT_TRUE(WriteJsonFile(Folder() / "macro.delete", journal));

    EXPECT_TRUE(CMacroStore(Folder()).Recover());
    EXPECT_EQ(Names(store), (std::vector<std::string>{"macro_2"}));
    EXPECT_EQ(Keys("2024_03_03_00_00_00_000"), (std::vector<int>{0x700000, 0x20002A}));
    EXPECT_FALSE(std::filesystem::exists(Folder() / (guid + ".mac")));
    EXPECT_FALSE(std::filesystem::exists(Folder() / "macro.delete"));

    // staged files without a journal: the removal never began, the old state stands
    ASSERT_TRUE(WriteJsonFile(Folder() / "macro.config.macro-pending", Json::Value()));
    EXPECT_FALSE(CMacroStore(Folder()).Recover());
    EXPECT_FALSE(std::filesystem::exists(Folder() / "macro.config.macro-pending"));
    EXPECT_EQ(Names(store), (std::vector<std::string>{"macro_2"}));
}

TEST_F(MacroStoreTest, HostileFilesAreRefusedAndNeverBecomePaths) {
    const std::filesystem::path outside = Folder().parent_path() / "victim.mac";
    Json::Value list;
    list["MacroInfo"][0]["MacroName"] = "evil";
    list["MacroInfo"][0]["Guid"] = "../victim";
    list["MacroInfo"][1]["MacroName"] = "dir";
    list["MacroInfo"][1]["Guid"] = "2024_04_04_00_00_00_000";
    ASSERT_TRUE(WriteJsonFile(Folder() / kMacroListFileName, list));
    std::filesystem::create_directory(Folder() / "2024_04_04_00_00_00_000.mac");
    CMacroStore store(Folder());
    EXPECT_TRUE(store.MacroFile(0).empty());
    EXPECT_TRUE(store.Events(0).empty());
    EXPECT_FALSE(store.SaveEvents(0, {Action("down", 4, 10, "1")}));
    EXPECT_FALSE(std::filesystem::exists(outside));
    EXPECT_TRUE(store.Events(1).empty()) << "a folder where the file should be";
    ASSERT_TRUE(store.Remove(0, 2));
    EXPECT_EQ(Names(store), (std::vector<std::string>{"dir"}));

    struct Case {
        const char* what;
        Json::Value document;
    };
    Json::Value huge;
    huge["Events"] = Json::Value(Json::arrayValue);
    for (int i = 0; i < 4001; ++i)
        huge["Events"].append(Action("down", 4, 10, "1"));
    Json::Value wrongType;
    wrongType["Events"].append(Action("down", 4, 10, "1"));
    wrongType["Events"][0]["Button"] = "four";
    Json::Value noEvents;
    noEvents["Guid"] = "x";
    Json::Value eventsObject;
    eventsObject["Events"]["a"] = 1;
    const Case refused[] = {{"4001 events", huge},
                            {"a button as text", wrongType},
                            {"no events", noEvents},
                            {"events as an object", eventsObject},
                            {"an array", Json::Value(Json::arrayValue)}};
    for (const Case& c : refused) {
        ASSERT_TRUE(WriteJsonFile(Folder() / "in.json", c.document));
        EXPECT_EQ(store.Import(Folder() / "in.json"), "") << c.what;
        EXPECT_EQ(store.List().size(), 1u) << c.what;
    }
    // exactly 4000 events with holes nowhere: taken, saved with text delays
    huge["Events"].resize(4000);
    ASSERT_TRUE(WriteJsonFile(Folder() / "in.json", huge));
    EXPECT_EQ(store.Import(Folder() / "in.json"), "macro_1");
    const std::vector<Json::Value> events = store.Events(1);
    ASSERT_EQ(events.size(), 4000u);
    EXPECT_EQ(events[3999]["Delay"], "1");
    EXPECT_TRUE(store.Export(1, Folder() / "out.mac"));
    EXPECT_EQ(ReadJsonFile(Folder() / "out.mac")["Events"].size(), 4000u);
}

} // namespace
} // namespace vpc::data
