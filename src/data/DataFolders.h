// The program's data folders: the shipped read-only default data, the per-user data root
// with one folder per device kind, and the update download folder in the cache.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace vpc::data {

inline constexpr std::string_view kUserRootName = "VORNAPADQMT58ControlCenter";
inline constexpr std::string_view kUpdateFolderName = "UpdateData";
inline constexpr std::array<std::string_view, 4> kDeviceFolderNames = {"mouse", "keyboard",
                                                                       "MousePad", "HD"};

// Environment variables that move the roots (tests run in temporary folders with them).
inline constexpr char kUserRootEnv[] = "VPC_USER_DATA_ROOT";
inline constexpr char kDefaultDataEnv[] = "VPC_DEFAULT_DATA_DIR";
inline constexpr char kCacheDirEnv[] = "VPC_CACHE_DIR";

// The "DefaultData" folder: $VPC_DEFAULT_DATA_DIR; else <exe>/../share/vorna-control-center/
// DefaultData of an installed program; else the source tree's data/DefaultData; else the
// configured install location. Never created, never written.
std::filesystem::path GetDefaultDataFolder();

// $VPC_USER_DATA_ROOT, else $XDG_DATA_HOME (QStandardPaths GenericDataLocation) +
// "/VORNAPADQMT58ControlCenter". Created when missing unless `create` is false.
std::filesystem::path GetUserDataRoot(bool create = true);

// The user data root + the device name ("mouse", "keyboard", "MousePad" or "HD"), created
// when missing. Names that are not one of these give an empty path.
std::filesystem::path GetDeviceFolder(std::string_view deviceName);

// $VPC_CACHE_DIR, else the cache folder (GenericCacheLocation), + "/UpdateData", created
// with mode 0700 (an existing folder is set to 0700). Empty when it cannot be made.
std::filesystem::path GetUpdateFolder();

struct UserRootCheck {
    bool ok = false;
    std::filesystem::path root;
    std::string message; // what went wrong, in plain words, when !ok
};

// Creates the user data root and the four device folders and checks that files can be
// written there. A failure is logged once per process for each root, however often this is
// called.
UserRootCheck CheckUserDataRoot();

} // namespace vpc::data
