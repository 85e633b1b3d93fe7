// The profile list on real files: naming rules, the cap, delete, rename, reset, import and
// export, and lists that are damaged, out of step or hostile.
#include "ProfileTestSupport.h"

#include "TextUtil.h"

#include <fstream>

namespace vpc::profiles::test {
namespace {

using data::CProfileList;
using data::ProfileEntry;

std::vector<ProfileEntry> Named(std::initializer_list<const char*> names) {
    std::vector<ProfileEntry> entries;
    for (const char* name : names)
        entries.push_back({name, ""});
    return entries;
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

class ProfileListTest : public ::testing::Test {
protected:
    CProfileList MakeList(int kind = 1) {
        return CProfileList(root.DeviceFolder(), root.DefaultProfile(), kind);
    }
    // A list with the given names in order (the first one is "profile1").
    CProfileList ListWith(int count) {
        CProfileList list = MakeList();
        list.Load();
        for (int i = 1; i < count; ++i)
            EXPECT_GE(list.Add(), 0);
        return list;
    }
    std::filesystem::path Folder() const { return root.DeviceFolder(); }

    TempUserRoot root;
};

TEST(ProfileNames, NamingRules) {
    struct Case {
        const char* rule;
        std::vector<ProfileEntry> entries;
        const char* source;
        std::string expected;
    };
    const Case cases[] = {
        {"new", {}, "", "profile1"},
        {"new", Named({"profile1", "PROFILE2"}), "", "profile3"},
        {"new", Named({"Profile3", "profile1"}), "", "profile2"},
        {"copy", Named({"Game"}), "Game", "Game copy"},
        {"copy", Named({"Game", "GAME COPY"}), "Game", "Game copy copy"},
        {"import", Named({}), "Work", "Work"},
        {"import", Named({"work"}), "Work", "Work(1)"},
        {"import", Named({"Work", "Work(1)"}), "Work", "Work(1)(2)"},
        {"import", Named({"Ärger"}), "ÄRGER", "ÄRGER(1)"},
    };
    for (const Case& c : cases) {
        std::string name;
        if (std::string(c.rule) == "new")
            name = data::MakeNewProfileName(c.entries);
        else if (std::string(c.rule) == "copy")
            name = data::MakeCopyName(c.source, c.entries);
        else
            name = data::MakeImportName(c.source, c.entries);
        EXPECT_EQ(name, c.expected) << c.rule << " " << c.source;
    }
}

TEST(ProfileNames, OnlyTimeStampsAreIds) {
    const std::pair<const char*, bool> cases[] = {
        {"2024_03_05_14_07_09_042", true},   {"2024_03_05_14_07_09_04", false},
        {"2024_03_05_14_07_09_0420", false}, {"../../../etc/passwd", false},
        {"2024_03_05_14_07/9_042", false},   {"", false},
        {"2024-03-05-14-07-09-042", false},  {"profile1", false},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(data::IsProfileId(text), expected) << text;
    EXPECT_TRUE(data::IsProfileId(data::MakeTimeStamp()));
}

TEST_F(ProfileListTest, FirstStartCreatesProfile1FromTheDefaultProfile) {
    CProfileList list = MakeList();
    EXPECT_EQ(list.Load(), data::ListFileState::Created);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Entries()[0].name, "profile1");
    EXPECT_EQ(list.CurrentId(), list.Entries()[0].id);
    CheckListedProfiles(Folder());
    EXPECT_EQ(ReadList(Folder())["profileselect"], 0);

    Json::Value expected = data::ReadJsonFile(root.DefaultProfile());
    expected["profilename"] = "profile1";
    expected["profileUUID"] = list.CurrentId();
    EXPECT_EQ(data::ReadJsonFile(list.ProfilePath(0)), expected);

    // Loading again changes nothing.
    CProfileList again = MakeList();
    EXPECT_EQ(again.Load(), data::ListFileState::Ok);
    EXPECT_EQ(again.Entries()[0].id, list.Entries()[0].id);
}

TEST_F(ProfileListTest, AddNamesTheNewProfileAndStoresItAsSelectionWhileTheCurrentStays) {
    CProfileList list = ListWith(2);
    ASSERT_EQ(list.Rename(1, "PROFILE2"), data::RenameResult::Renamed);
    const std::string current = list.CurrentId();
    const int added = list.Add();
    ASSERT_EQ(added, 2);
    EXPECT_EQ(list.Entries()[2].name, "profile3");
    EXPECT_EQ(list.CurrentId(), current);
    EXPECT_EQ(ReadList(Folder())["profileselect"], 2);
    EXPECT_EQ(CheckListedProfiles(Folder()).size(), 3u);
    EXPECT_EQ(data::ReadJsonFile(list.ProfilePath(2))["profilename"], "profile3");
}

TEST_F(ProfileListTest, AddingStopsAtFiftyButCopyAndImportDoNot) {
    CProfileList list = ListWith(data::kMaxProfilesWhenAdding);
    ASSERT_EQ(list.Count(), 50);
    EXPECT_EQ(list.Add(), -1);
    EXPECT_EQ(list.Count(), 50);
    EXPECT_EQ(ProfileFileIds(Folder()).size(), 50u);
    EXPECT_EQ(list.Entries()[49].name, "profile50");

    EXPECT_EQ(list.Copy(0), 50);
    EXPECT_EQ(list.Add(), -1);
    EXPECT_EQ(CheckListedProfiles(Folder()).size(), 51u);
}

TEST_F(ProfileListTest, CopyTakesTheSourceFileAndKeepsTheSelection) {
    CProfileList list = ListWith(1);
    Json::Value source = data::ReadJsonFile(list.ProfilePath(0));
    source["Device"][0]["LightInfo"]["Red"] = 77;
    ASSERT_TRUE(data::WriteJsonFile(list.ProfilePath(0), source));

    ASSERT_EQ(list.Copy(0), 1);
    ASSERT_EQ(list.Copy(0), 2);
    EXPECT_EQ(list.Entries()[1].name, "profile1 copy");
    EXPECT_EQ(list.Entries()[2].name, "profile1 copy copy");
    const Json::Value copy = data::ReadJsonFile(list.ProfilePath(1));
    EXPECT_EQ(copy["Device"][0]["LightInfo"]["Red"], 77);
    EXPECT_EQ(copy["profileUUID"], list.Entries()[1].id);
    EXPECT_EQ(ReadList(Folder())["profileselect"], 0);
    EXPECT_EQ(list.Copy(-1), -1) << "nothing selected: nothing copied";
    EXPECT_EQ(list.Count(), 3);
}

TEST_F(ProfileListTest, DeleteWritesTheNextSelectionAndKeepsTheLastProfile) {
    struct Case {
        int count, deleted, next;
    };
    for (const Case c : {Case{3, 0, 0}, Case{3, 2, 1}, Case{3, 1, 0}, Case{2, 1, 0}}) {
        TempUserRoot own;
        CProfileList list(own.DeviceFolder(), own.DefaultProfile(), 1);
        list.Load();
        for (int i = 1; i < c.count; ++i)
            list.Add();
        const std::string gone = list.Entries()[c.deleted].id;
        const std::string stays = list.Entries()[c.next + (c.next >= c.deleted ? 1 : 0)].id;
        EXPECT_EQ(list.Delete(c.deleted), c.next);
        EXPECT_EQ(list.CurrentId(), stays);
        EXPECT_EQ(ReadList(own.DeviceFolder())["profileselect"], c.next);
        EXPECT_FALSE(ProfileFileIds(own.DeviceFolder()).contains(gone));
        EXPECT_EQ(CheckListedProfiles(own.DeviceFolder()).size(), std::size_t(c.count - 1));
    }
    CProfileList single = ListWith(1);
    EXPECT_EQ(single.Delete(0), -1);
    EXPECT_EQ(single.Delete(-1), -1);
    EXPECT_EQ(ProfileFileIds(Folder()).size(), 1u);
}

TEST_F(ProfileListTest, RenameRules) {
    struct Case {
        int index;
        const char* name;
        data::RenameResult expected;
        const char* listedAfter;
    };
    const Case cases[] = {
        {1, "PROFILE1", data::RenameResult::Duplicate, "profile2"},
        {1, "   ", data::RenameResult::Blank, "profile2"},
        {1, "", data::RenameResult::Blank, "profile2"},
        {1, "PROFILE2", data::RenameResult::Renamed, "PROFILE2"},
        {1, "Game", data::RenameResult::Renamed, "Game"},
        {-1, "Other", data::RenameResult::NotDone, "Game"},
        {7, "Other", data::RenameResult::NotDone, "Game"},
    };
    CProfileList list = ListWith(2);
    for (const Case& c : cases) {
        EXPECT_EQ(list.Rename(c.index, c.name), c.expected) << c.name;
        EXPECT_EQ(ReadList(Folder())["profilelist"][1]["profilename"], c.listedAfter) << c.name;
        EXPECT_EQ(data::ReadJsonFile(list.ProfilePath(1))["profilename"], c.listedAfter);
    }
}

TEST_F(ProfileListTest, ResetGivesTheDefaultsBackKeepingNameIdAndHeadsetPresets) {
    for (const char* device : {"keyboard", "HD"}) {
        const int kind = std::string(device) == "HD" ? data::kHeadsetDeviceKind : 1;
        CProfileList list(root.DeviceFolder(device), root.DefaultProfile(device), kind);
        list.Load();
        ASSERT_EQ(list.Rename(0, "Mine"), data::RenameResult::Renamed);
        Json::Value changed = data::ReadJsonFile(list.ProfilePath(0));
        changed["Device"][0]["LightInfo"]["Red"] = 1;
        changed["Device"][0]["CustomEQNameInfo"][0]["Name"] = "Bass";
        ASSERT_TRUE(data::WriteJsonFile(list.ProfilePath(0), changed));

        EXPECT_FALSE(list.Reset(-1));
        ASSERT_TRUE(list.Reset(0));
        Json::Value expected = data::ReadJsonFile(root.DefaultProfile(device));
        expected["profilename"] = "Mine";
        expected["profileUUID"] = list.Entries()[0].id;
        if (kind == data::kHeadsetDeviceKind)
            expected["Device"][0]["CustomEQNameInfo"] = changed["Device"][0]["CustomEQNameInfo"];
        EXPECT_EQ(data::ReadJsonFile(list.ProfilePath(0)), expected) << device;
    }
}

TEST_F(ProfileListTest, ImportTakesOnlyProfilesAndNamesThemAfterTheFile) {
    CProfileList list = ListWith(1);
    Json::Value exported = data::ReadJsonFile(list.ProfilePath(0));
    const std::filesystem::path work = root.Root() / "Work.json";

    struct Case {
        const char* what;
        std::string text;
        data::ImportResult expected;
    };
    const Case cases[] = {
        {"not JSON", "{\"Device\": [", data::ImportResult::Unreadable},
        {"an array", "[1, 2]", data::ImportResult::NotAProfile},
        {"empty Device", R"({"profilename":"a","profileUUID":"b","Device":[]})",
         data::ImportResult::NotAProfile},
        {"Device of numbers", R"({"profilename":"a","profileUUID":"b","Device":[5]})",
         data::ImportResult::NotAProfile},
        {"Device an object", R"({"profilename":"a","profileUUID":"b","Device":{"x":{}}})",
         data::ImportResult::NotAProfile},
        {"no names", R"({"Device":[{}]})", data::ImportResult::NotAProfile},
    };
    for (const Case& c : cases) {
        WriteText(work, c.text);
        int index = 0;
        EXPECT_EQ(list.Import(work, &index), c.expected) << c.what;
        EXPECT_EQ(index, -1) << c.what;
    }
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(ProfileFileIds(Folder()).size(), 1u);

    ASSERT_TRUE(list.Export(0, work));
    EXPECT_EQ(data::ReadJsonFile(work), exported) << "exported unchanged";
    for (const char* name : {"Work", "Work(1)", "Work(1)(2)"}) {
        int index = -1;
        ASSERT_EQ(list.Import(work, &index), data::ImportResult::Imported);
        EXPECT_EQ(list.Entries()[index].name, name);
        const Json::Value imported = data::ReadJsonFile(list.ProfilePath(index));
        EXPECT_EQ(imported["profilename"], name);
        EXPECT_EQ(imported["profileUUID"], list.Entries()[index].id);
        EXPECT_EQ(imported["Device"], exported["Device"]);
    }
    EXPECT_EQ(ReadList(Folder())["profileselect"], 0) << "import keeps the selection";
    EXPECT_FALSE(list.Export(-1, root.Root() / "none.json"));

    // names alone are a profile: its settings come from the default profile when it loads
    const std::filesystem::path bare = root.Root() / "Bare.json";
    WriteText(bare, R"({"profilename":"a","profileUUID":"b"})");
    int index = -1;
    ASSERT_EQ(list.Import(bare, &index), data::ImportResult::Imported);
    EXPECT_EQ(list.Entries()[static_cast<std::size_t>(index)].name, "Bare");
    EXPECT_EQ(data::ReadJsonFile(list.ProfilePath(index))["profilename"], "Bare");
    CheckListedProfiles(Folder());
}

// The list file damaged in different ways after three profiles were made: every profile stays
// listed, with its own name, and the list never holds a null.
TEST_F(ProfileListTest, DamagedListKeepsEveryProfileReachable) {
    struct Case {
        const char* what;
        std::string text; // %0 %1 %2: the ids of the three profiles
        data::ListFileState state;
    };
    const Case cases[] = {
        {"not JSON", "{\"profilelist\": [", data::ListFileState::Rebuilt},
        {"empty", "", data::ListFileState::Rebuilt},
        {"an array", "[]", data::ListFileState::Rebuilt},
        {"list not an array", R"({"profilelist": 5, "profileselect": 0})",
         data::ListFileState::Rebuilt},
        {"nulls and a lost entry",
         R"({"profilelist": [null, {"profilename":"A","profileUUID":"%0"}, 7],
             "profileselect": 0})",
         data::ListFileState::Repaired},
        {"selection out of range",
         R"({"profilelist": [{"profilename":"A","profileUUID":"%0"},
             {"profilename":"B","profileUUID":"%1"},{"profilename":"C","profileUUID":"%2"}],
             "profileselect": 9})",
         data::ListFileState::Repaired},
        {"selection not a number",
         R"({"profilelist": [{"profilename":"A","profileUUID":"%0"},
             {"profilename":"B","profileUUID":"%1"},{"profilename":"C","profileUUID":"%2"}],
             "profileselect": "x"})",
         data::ListFileState::Repaired},
        {"names missing and repeated",
         R"({"profilelist": [{"profileUUID":"%0"}, {"profilename":"a","profileUUID":"%1"},
             {"profilename":"A","profileUUID":"%2"}], "profileselect": 1})",
         data::ListFileState::Repaired},
    };
    for (const Case& c : cases) {
        TempUserRoot own;
        const std::filesystem::path folder = own.DeviceFolder();
        CProfileList made(folder, own.DefaultProfile(), 1);
        made.Load();
        made.Add();
        made.Add();
        ASSERT_EQ(made.Rename(0, "A"), data::RenameResult::Renamed);
        ASSERT_EQ(made.Rename(1, "B"), data::RenameResult::Renamed);
        ASSERT_EQ(made.Rename(2, "C"), data::RenameResult::Renamed);
        const std::set<std::string> ids = ProfileFileIds(folder);
        std::string text = c.text;
        for (int i = 0; i < 3; ++i) {
            const std::string marker = "%" + std::to_string(i);
            if (const auto at = text.find(marker); at != std::string::npos)
                text.replace(at, marker.size(), made.Entries()[i].id);
        }
        WriteText(folder / data::kProfileListFileName, text);

        CProfileList list(folder, own.DefaultProfile(), 1);
        EXPECT_EQ(list.Load(), c.state) << c.what;
        EXPECT_EQ(CheckListedProfiles(folder), ids) << c.what;
        std::set<std::string> names;
        for (const ProfileEntry& entry : list.Entries())
            names.insert(entry.name);
        if (std::string(c.what) != "names missing and repeated") {
            EXPECT_EQ(names, (std::set<std::string>{"A", "B", "C"})) << c.what;
        }
        EXPECT_EQ(names.size(), 3u) << c.what;
        EXPECT_EQ(list.CurrentId(), list.Entries()[list.StoredSelection()].id);
    }
}

TEST_F(ProfileListTest, ListChangedUnderneathNeverLosesOrNullsAProfile) {
    CProfileList list = ListWith(3);
    const std::string first = list.Entries()[0].id;
    // Another writer removed the list file: the next operation rebuilds it from the files
    // and adds to that.
    std::filesystem::remove(Folder() / data::kProfileListFileName);
    ASSERT_GE(list.Add(), 0);
    EXPECT_EQ(CheckListedProfiles(Folder()).size(), 4u);

    // The file lists one profile less than the panel shows: the unlisted file is taken in
    // again, and an operation on a profile that is gone does nothing.
    Json::Value shorter = ReadList(Folder());
    Json::Value removed;
    shorter["profilelist"].removeIndex(0, &removed);
    ASSERT_TRUE(data::WriteJsonFile(Folder() / data::kProfileListFileName, shorter));
    ASSERT_GE(list.Copy(1), 0);
    EXPECT_EQ(CheckListedProfiles(Folder()).size(), 5u);
    EXPECT_GE(list.IndexOfId(first), 0);

    const int before = list.Count();
    std::filesystem::remove(list.ProfilePath(2));
    Json::Value without = ReadList(Folder());
    without["profilelist"].removeIndex(
        static_cast<Json::ArrayIndex>(list.IndexOfId(list.Entries()[2].id)), &removed);
    ASSERT_TRUE(data::WriteJsonFile(Folder() / data::kProfileListFileName, without));
    const std::string goneName = list.Entries()[2].name;
    EXPECT_EQ(list.Rename(2, "Renamed"), data::RenameResult::NotDone);
    EXPECT_EQ(list.Count(), before - 1);
    EXPECT_FALSE(data::HasProfileName(list.Entries(), goneName));
    CheckListedProfiles(Folder());
}

TEST_F(ProfileListTest, HostileIdsNeverBecomePaths) {
    const std::filesystem::path folder = Folder();
    const std::filesystem::path outside = root.Root() / "victim.Json";
    WriteText(outside, "{\"keep\": 1}");
    const std::string hostile[] = {"../victim", "../../victim", "/tmp/victim",   "",
                                   "a b",       "..",           "x/../../victim"};
    for (const std::string& id : hostile) {
        Json::Value list;
        list["profilelist"][0]["profilename"] = "Evil";
        list["profilelist"][0]["profileUUID"] = id;
        list["profilelist"][1]["profilename"] = "Plain";
        list["profilelist"][1]["profileUUID"] = "2024_01_01_00_00_00_000";
        list["profileselect"] = 0;
        ASSERT_TRUE(data::WriteJsonFile(folder / data::kProfileListFileName, list));
        for (const std::string& stale : ProfileFileIds(folder))
            std::filesystem::remove(folder / (stale + ".Json"));
        WriteText(folder / "2024_01_01_00_00_00_000.Json", "{\"Device\": [{}]}");

        CProfileList profiles(folder, root.DefaultProfile(), 1);
        EXPECT_EQ(profiles.Load(), data::ListFileState::Repaired) << id;
        ASSERT_EQ(profiles.Count(), 2) << id;
        EXPECT_EQ(profiles.Entries()[0].name, "Evil");
        EXPECT_NE(profiles.Entries()[0].id, id);
        CheckListedProfiles(folder);
        EXPECT_EQ(profiles.Delete(0), 0);
        EXPECT_EQ(data::ReadFileText(outside), "{\"keep\": 1}") << id;
    }
}

// A list written by hand or by an older version may name its files otherwise than by time
// stamp: every plain file name keeps its profile and the user's file.
TEST_F(ProfileListTest, SafeIdsThatAreNoTimeStampsKeepTheirProfiles) {
    const std::filesystem::path folder = Folder();
    const std::string kept[] = {"PRN", "2024_03_05_14_07_09_04", "My-Profile_2",
                                "{3F2504E0-4F89-11D3-9A0C-0305E82C3301}"};
    Json::Value list;
    int red = 11;
    for (const std::string& id : kept) {
        Json::Value element;
        element["profilename"] = "Mine " + id;
        element["profileUUID"] = id;
        element["profileislink"] = 0;
        element["profilelinkmame"] = "";
        list["profilelist"].append(element);
        WriteText(folder / (id + ".Json"),
                  "{\"Device\": [{\"LightInfo\": {\"Red\": " + std::to_string(red++) + "}}]}");
    }
    list["profileselect"] = 2;
    ASSERT_TRUE(data::WriteJsonFile(folder / data::kProfileListFileName, list));

    CProfileList profiles(folder, root.DefaultProfile(), 1);
    EXPECT_EQ(profiles.Load(), data::ListFileState::Ok);
    ASSERT_EQ(profiles.Count(), 4);
    red = 11;
    for (int i = 0; i < 4; ++i) {
        const std::string& id = kept[i];
        EXPECT_EQ(profiles.Entries()[static_cast<std::size_t>(i)].id, id);
        EXPECT_EQ(profiles.ProfilePath(i), folder / (id + ".Json"));
        EXPECT_EQ(data::ReadJsonFile(profiles.ProfilePath(i))["Device"][0]["LightInfo"]["Red"],
                  red++)
            << id;
    }
    EXPECT_EQ(profiles.CurrentId(), "My-Profile_2");
    CheckListedProfiles(folder);
}

TEST_F(ProfileListTest, TwoEntriesOnOneFileGetAFileEach) {
    CProfileList made = ListWith(1);
    Json::Value list = ReadList(Folder());
    list["profilelist"][1] = list["profilelist"][0];
    list["profilelist"][1]["profilename"] = "Twin";
    ASSERT_TRUE(data::WriteJsonFile(Folder() / data::kProfileListFileName, list));

    CProfileList profiles(Folder(), root.DefaultProfile(), 1);
    EXPECT_EQ(profiles.Load(), data::ListFileState::Repaired);
    ASSERT_EQ(profiles.Count(), 2);
    EXPECT_NE(profiles.Entries()[0].id, profiles.Entries()[1].id);
    EXPECT_EQ(profiles.Delete(1), 0);
    EXPECT_TRUE(std::filesystem::exists(profiles.ProfilePath(0)));
    CheckListedProfiles(Folder());
}

} // namespace
} // namespace vpc::profiles::test
