// The update server exchange: the entries of the four targets, their app keys, one target's
// check (request body, reply, row result) and the date of the last check.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "HttpClient.h"
#include "UpdateServerConfig.h"
#include "UpdateTypes.h"

namespace vpc::update {

// The reply buffer of one check.
inline constexpr std::size_t kUpdateReplyCapacity = 102400;
inline constexpr char kUpdateTimeFileName[] = "updatetime.config";

// The four entries of UpdateTable with the registration of `config`, the given device
// firmware versions (entry k = device list entry k; missing ones stay 0) and the installed
// application version in the last entry.
std::array<UpdateEntry, 4> RefreshUpdateEntries(const UpdateServerConfig& config,
                                                const std::vector<std::int32_t>& deviceVersions,
                                                std::int32_t installedVersion);

// The entries handed to the settings window: those whose version is not 0, in entry order.
std::vector<UpdateEntry> EntriesToCheck(const std::array<UpdateEntry, 4>& entries);

// The installed application version: the version text without its dots, read as a decimal
// number from its leading digits ("1.0.1.1" gives 1011; no digits give 0).
std::int32_t ReadInstalledVersion(std::string_view versionText = kApplicationVersionText);

// "NULL" for version 0, else brand_kind_model_kindcode_flag.
std::string MakeAppKey(const UpdateEntry& entry);

// "app_key=<key>&version=<hex>" for firmware, "&version=<decimal>" for the application.
std::string BuildUpdateBody(const std::string& appKey, std::int32_t version, std::int32_t kind);

// A version text read as an unsigned number in base 16 or 10: leading blanks, an optional
// "0x" (base 16), digits up to the first other character; too large saturates.
std::uint32_t ParseVersionNumber(std::string_view text, int base);

// "V%04x" for firmware, "V%d" for the application.
std::string FormatLocalVersion(std::int32_t version, std::int32_t kind);

// Reads a reply of the update server for a target of this version and kind. A reply that
// is not a JSON object sets `failed` and leaves everything else as it is.
UpdateResult ParseUpdateReply(std::string_view reply, std::int32_t version, std::int32_t kind);

// Asks the server whether a newer version of the target exists. A request that fails, an
// empty reply, a reply that is not a JSON object, too long or not a 2xx answer sets `failed`
// and leaves the result's texts empty ("NO_LINK_SERVER" as name when nothing was sent).
UpdateResult CheckUpdate(CHttpClient& client, const UpdateServerConfig& config,
                         const std::string& appKey, std::int32_t version, std::int32_t kind);

// The placeholder row of an entry before its check.
UpdateResult PlaceholderResult(const UpdateEntry& entry);

// A date as "%d-%d-%d" (2024-5-7), and today's local date so.
std::string FormatDateText(int year, int month, int day);
std::string TodayDateText();

// The date kept in "updatetime.config" in `root`, or empty when the file is missing,
// unreadable or has no date.
std::string ReadLastCheckDate(const std::filesystem::path& root);
bool WriteLastCheckDate(const std::filesystem::path& root, const std::string& date);

} // namespace vpc::update
