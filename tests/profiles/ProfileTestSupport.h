// A temporary user data root for the profile tests, with the shipped default profiles, and
// small readers of the list file and the profile files on disk.
#pragma once

#include "CBasicProfiledata.h"

#include "DataFolders.h"
#include "JsonFile.h"
#include "ProfileList.h"

#include <QTemporaryDir>
#include <QtGlobal>

#include <filesystem>
#include <set>
#include <string>

#include <gtest/gtest.h>

namespace vpc::profiles::test {

class TempUserRoot {
public:
    TempUserRoot() {
        qputenv(data::kUserRootEnv, m_dir.path().toUtf8());
        qputenv(data::kDefaultDataEnv, VPC_TEST_DEFAULT_DATA_DIR);
    }
    ~TempUserRoot() {
        qunsetenv(data::kUserRootEnv);
        qunsetenv(data::kDefaultDataEnv);
    }
    TempUserRoot(const TempUserRoot&) = delete;
    TempUserRoot& operator=(const TempUserRoot&) = delete;

    std::filesystem::path Root() const { return m_dir.path().toStdString(); }
    std::filesystem::path DeviceFolder(const char* name = "keyboard") const {
        return data::GetDeviceFolder(name);
    }
    std::filesystem::path DefaultProfile(const char* name = "keyboard") const {
        return data::GetDefaultDataFolder() / (std::string(name) + ".Json");
    }

private:
    QTemporaryDir m_dir;
};

inline Json::Value ReadList(const std::filesystem::path& folder) {
    return data::ReadJsonFile(folder / data::kProfileListFileName);
}

// The ids of the profile files in the folder.
inline std::set<std::string> ProfileFileIds(const std::filesystem::path& folder) {
    std::set<std::string> ids;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        if (item.path().extension() == data::kProfileFileExtension)
            ids.insert(item.path().stem().string());
    }
    return ids;
}

// Every element of "profilelist" is an object whose id names an existing profile file whose
// own names match; returns the listed ids.
inline std::set<std::string> CheckListedProfiles(const std::filesystem::path& folder) {
    std::set<std::string> ids;
    const Json::Value list = ReadList(folder);
    EXPECT_TRUE(list["profilelist"].isArray());
    for (const Json::Value& element : list["profilelist"]) {
        EXPECT_TRUE(element.isObject());
        const std::string id = element["profileUUID"].asString();
        EXPECT_TRUE(data::IsSafeFileId(id)) << id;
        EXPECT_TRUE(ids.insert(id).second) << "listed twice: " << id;
        EXPECT_EQ(element["profileislink"], 0);
        EXPECT_EQ(element["profilelinkmame"], "");
        EXPECT_TRUE(std::filesystem::is_regular_file(folder / (id + ".Json"))) << id;
    }
    const int select = list["profileselect"].asInt();
    EXPECT_GE(select, 0);
    EXPECT_LT(select, static_cast<int>(list["profilelist"].size()));
    return ids;
}

} // namespace vpc::profiles::test
