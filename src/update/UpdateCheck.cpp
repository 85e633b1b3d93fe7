#include "UpdateCheck.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <limits>

#include "JsonAccess.h"
#include "JsonFile.h"

namespace vpc::update {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool IsSha256Text(const std::string& text) {
    if (text.size() != 64)
        return false;
    for (const char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::array<UpdateEntry, 4> RefreshUpdateEntries(const UpdateServerConfig& config,
                                                const std::vector<std::int32_t>& deviceVersions,
                                                std::int32_t installedVersion) {
    std::array<UpdateEntry, 4> entries{};
    for (size_t k = 0; k < entries.size(); ++k) {
        const UpdateTableRow& row = UpdateTable[k];
        entries[k].kind = row.kind;
        entries[k].flag = config.targets[k].flag;
        entries[k].brand = config.brand;
        entries[k].modelCode = std::string(row.modelCode);
        entries[k].kindCode = config.targets[k].kindCode;
        entries[k].rowName = std::string(row.rowName);
        entries[k].versionText = std::string(row.versionText);
    }
    // A device list longer than the table stops at its size.
    for (size_t k = 0; k < deviceVersions.size() && k < entries.size(); ++k)
        entries[k].version = deviceVersions[k];
    entries.back().version = installedVersion;
    return entries;
}

std::vector<UpdateEntry> EntriesToCheck(const std::array<UpdateEntry, 4>& entries) {
    std::vector<UpdateEntry> wanted;
    for (const UpdateEntry& entry : entries)
        if (entry.version != 0)
            wanted.push_back(entry);
    return wanted;
}

std::int32_t ReadInstalledVersion(std::string_view versionText) {
    std::string digits;
    for (const char c : versionText)
        if (c != '.')
            digits.push_back(c);
    return static_cast<std::int32_t>(ParseVersionNumber(digits, 10));
}

std::string MakeAppKey(const UpdateEntry& entry) {
    if (entry.version == 0)
        return "NULL";
    return entry.brand + "_" + std::to_string(entry.kind) + "_" + entry.modelCode + "_" +
           entry.kindCode + "_" + std::to_string(entry.flag);
}

std::string BuildUpdateBody(const std::string& appKey, std::int32_t version, std::int32_t kind) {
    char number[32];
    if (kind != 0)
        std::snprintf(number, sizeof number, "%x", static_cast<unsigned>(version));
    else
        std::snprintf(number, sizeof number, "%d", version);
    return "app_key=" + appKey + "&version=" + number;
}

std::uint32_t ParseVersionNumber(std::string_view text, int base) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    if (base == 16 && i + 2 < text.size() && text[i] == '0' &&
        (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2])))
        i += 2;
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= base)
            break;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > std::numeric_limits<std::uint32_t>::max())
            return std::numeric_limits<std::uint32_t>::max();
    }
    return static_cast<std::uint32_t>(value);
}

std::string FormatLocalVersion(std::int32_t version, std::int32_t kind) {
    char text[32];
    if (kind != 0)
        std::snprintf(text, sizeof text, "V%04x", static_cast<unsigned>(version));
    else
        std::snprintf(text, sizeof text, "V%d", version);
    return text;
}

UpdateResult CheckUpdate(CHttpClient& client, const UpdateServerConfig& config,
                         const std::string& appKey, std::int32_t version, std::int32_t kind) {
    UpdateResult result;
    result.failed = true;
    const std::string url = config.apiBase + "updates";
    const std::string body = BuildUpdateBody(appKey, version, kind);

    std::vector<char> reply(kUpdateReplyCapacity, '\0');
    client.ResetHttpSettings();
    client.Settings().caFile = config.caFile;
    // The body goes with its terminating zero.
    const int n = client.HttpRequest(
        "POST", url,
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(body.c_str()),
                                      body.size() + 1),
        reply);
    if (n == 0 && !client.LastOutcome().sent)
        result.name = std::string(reply.data());
    if (n <= 0 || !client.LastOutcome().complete())
        return result;

    return ParseUpdateReply(std::string_view(reply.data(), static_cast<size_t>(n)), version, kind);
}

UpdateResult ParseUpdateReply(std::string_view reply, std::int32_t version, std::int32_t kind) {
    UpdateResult result;
    result.failed = true;
    const data::JsonReadResult parsed = data::ParseJsonText(reply);
    if (!parsed.ok() || !parsed.value.isObject())
        return result;
    result.failed = false;

    namespace json = data::json;
    const Json::Value& doc = parsed.value;
    result.downloadPath = json::ToText(json::Member(doc, "path"));
    result.name = json::ToText(json::Member(doc, "name"));
    result.versionName = json::ToText(json::Member(doc, "version_name"));
    const std::string v = json::ToText(json::Member(doc, "version"));
    result.newVersionText = "V" + v;
    result.deviceId = json::ToInt32(json::Member(doc, "device_id"));
    const Json::Value& size = json::Member(doc, "size");
    if (size.isIntegral() && json::ToInt64(size) >= 0)
        result.packageSize = json::ToInt64(size);
    const std::string sha = json::ToText(json::Member(doc, "sha256"));
    if (IsSha256Text(sha))
        result.packageSha256 = Lower(sha);

    std::uint32_t remote = 0;
    result.localVersionText = FormatLocalVersion(version, kind);
    if (kind != 0) {
        remote = ParseVersionNumber(v, 16);
    } else {
        remote = ParseVersionNumber(v, 10);
        result.newVersionText = result.versionName;
    }
    result.status =
        static_cast<std::int32_t>(remote) > version ? kStatusNeedUpdate : kStatusUpdateOk;
    return result;
}

UpdateResult PlaceholderResult(const UpdateEntry& entry) {
    UpdateResult result;
    result.name = EqualsIgnoringCase(entry.modelCode, "ALL") ? "AP" : entry.rowName;
    result.localVersionText =
        entry.kind != 0 ? FormatLocalVersion(entry.version, entry.kind) : entry.versionText;
    result.status = kStatusUpdateOk;
    return result;
}

std::string FormatDateText(int year, int month, int day) {
    char text[48];
    std::snprintf(text, sizeof text, "%d-%d-%d", year, month, day);
    return text;
}

std::string TodayDateText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return FormatDateText(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::string ReadLastCheckDate(const std::filesystem::path& root) {
    namespace json = data::json;
    const Json::Value doc = data::ReadJsonFile(root / kUpdateTimeFileName);
    return json::ToText(json::Member(json::Member(doc, "updatelasttime"), "value"));
}

bool WriteLastCheckDate(const std::filesystem::path& root, const std::string& date) {
    Json::Value doc(Json::objectValue);
    doc["updatelasttime"]["value"] = date;
    return data::WriteJsonFile(root / kUpdateTimeFileName, doc);
}

} // namespace vpc::update
