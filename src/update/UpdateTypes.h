// The update check's records: the table of targets, the entries with their current versions,
// one result per update list row, and the row statuses and check states.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vpc::update {

// One update-check target: a device's firmware (kind not 0, hexadecimal versions) or the
// application itself (kind 0, decimal versions).
struct UpdateEntry {
    std::int32_t kind = 0;
    std::int32_t flag = 0;
    std::int32_t version = 0;
    std::string brand;
    std::string modelCode;
    std::string kindCode;
    std::string rowName;
    std::string versionText;
};

// The fixed columns of the four targets. Brand, flag and kind code belong to the update
// server's registration and come from the update server configuration file.
struct UpdateTableRow {
    std::int32_t kind;
    std::string_view modelCode;
    std::string_view rowName;
    std::string_view versionText;
};

// The application's own version as text, also shown by the about window.
#ifndef VPC_VERSION
#define VPC_VERSION "1.0.1.1"
#endif
inline constexpr std::string_view kApplicationVersionText = VPC_VERSION;

inline constexpr std::array<UpdateTableRow, 4> UpdateTable = {{
    {1, "RQ52P03C", "MS", ""},
    {1, "RQ52P04C", "KB", ""},
    {2, "RQ52P05C_1", "N37", ""},
    {0, "ALL", "AP", kApplicationVersionText},
}};
inline constexpr int kUpdateEntryCount = static_cast<int>(UpdateTable.size());

// Status of one update list row.
enum UpdateRowStatus : int {
    kStatusNoUpdate = 0,
    kStatusNeedUpdate = 1,
    kStatusNeedUpdate2 = 2,
    kStatusDownloadWait = 3,
    kStatusDownloading = 4,
    kStatusDownloadOk = 5,
    kStatusUpdating = 6,
    kStatusUpdateOk = 7,
    kStatusUpdateFail = 8,
};

// Check state of the settings window's status area.
enum UpdateCheckState : int {
    kStateChecking = 0,
    kStateUpdatesFound = 1,
    kStateServerUnreachable = 2,
    kStateUpdating = 3,
    kStateUpToDate = 4,
};

// The outcome of one target's check, one per update list row.
struct UpdateResult {
    std::int32_t status = kStatusUpdateOk;
    std::int32_t deviceId = 0;
    std::string name;
    std::string localVersionText;
    std::string versionName;
    std::string newVersionText;
    std::string downloadPath;
    std::string installerPath;
    // What the reply says about the package, when it says it (checked after the download).
    long long packageSize = -1;
    std::string packageSha256; // lower-case hexadecimal, or empty
    // The request failed, or the reply was empty, not JSON or not a 2xx answer.
    bool failed = false;
    // The server named this row's current version (otherwise the row keeps its placeholder).
    bool answered = false;
};

} // namespace vpc::update
