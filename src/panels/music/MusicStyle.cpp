#include "MusicStyle.h"

#include "JsonFile.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace vpc::panels {

namespace {

int IntMember(const Json::Value& object, const std::string& key) {
    const Json::Value& value = object[key];
    if (value.isInt())
        return value.asInt();
    if (value.isUInt() || value.isDouble())
        return value.isDouble() ? static_cast<int>(std::clamp(value.asDouble(), -1e6, 1e6))
                                : static_cast<int>(std::min(value.asUInt(), 1000000u));
    return 0;
}

const char kComponentLetters[] = {'R', 'G', 'B'};

// The `Device` member of a file's document (null when the document is not an object).
Json::Value DeviceOf(const Json::Value& file) {
    return file.isObject() ? file["Device"] : Json::Value();
}

} // namespace

MusicStyle ReadMusicStyle(const Json::Value& info) {
    MusicStyle style;
    if (!info.isObject())
        return style;
    style.style = static_cast<std::uint8_t>(std::clamp(IntMember(info, "nAudioStyle"), 0, 3));
    for (int n = 0; n < 4; ++n) {
        const Json::Value& name = info["nStyleName" + std::to_string(n + 1)];
        style.names[static_cast<std::size_t>(n)] =
            name.isString() ? name.asString() : std::string();
        for (int c = 0; c < 3; ++c) {
            const std::string key =
                std::string("nStyle") + kComponentLetters[c] + std::to_string(n);
            style.Component(n, c) =
                static_cast<std::uint8_t>(std::clamp(IntMember(info, key), 0, 9));
        }
    }
    return style;
}

Json::Value WriteMusicStyle(const MusicStyle& style) {
    Json::Value info(Json::objectValue);
    info["nAudioStyle"] = style.style;
    for (int n = 0; n < 4; ++n) {
        info["nStyleName" + std::to_string(n + 1)] = style.names[static_cast<std::size_t>(n)];
        for (int c = 0; c < 3; ++c)
            info[std::string("nStyle") + kComponentLetters[c] + std::to_string(n)] =
                style.Component(n, c);
    }
    return info;
}

std::array<std::uint8_t, 40> MusicStyleRecord(const MusicStyle& style) {
    std::array<std::uint8_t, 40> record{};
    const int group = std::clamp<int>(style.style, 0, 3);
    const std::int32_t rgb[3] = {style.Component(group, 0),
                                 std::max<std::int32_t>(style.Component(group, 1), 1),
                                 style.Component(group, 2)};
    std::memcpy(record.data(), rgb, sizeof(rgb));
    return record;
}

CMusicSettingsFile::CMusicSettingsFile(std::filesystem::path defaultFolder,
                                       std::filesystem::path userRoot)
    : m_defaultFolder(std::move(defaultFolder)), m_userRoot(std::move(userRoot)) {}

void CMusicSettingsFile::Open() {
    const data::JsonReadResult user = data::ReadJsonFileEx(UserFile());
    m_document = DeviceOf(user.value);
    if (m_document.isNull()) {
        if (user.status == data::FileReadStatus::ParseError)
            data::KeepCorruptFile(UserFile()); // kept beside it, not overwritten
        const Json::Value defaults = data::ReadJsonFile(DefaultFile());
        if (!defaults.isNull())
            data::WriteJsonFile(UserFile(), defaults);
        m_document = DeviceOf(defaults);
    }
    LoadMusicStyle();
}

MusicStyle CMusicSettingsFile::LoadMusicStyle() {
    if (m_document.isObject() && m_document.isMember("AudioLightInfo") &&
        !m_document["AudioLightInfo"].isNull())
        m_style = ReadMusicStyle(m_document["AudioLightInfo"]);
    return m_style;
}

void CMusicSettingsFile::StoreMusicStyle(const MusicStyle& style) {
    m_style = style;
    if (!m_document.isObject())
        m_document = Json::Value(Json::objectValue);
    m_document["AudioLightInfo"] = WriteMusicStyle(style);
}

bool CMusicSettingsFile::SaveMusicFile() {
    Json::Value file = data::ReadJsonFile(UserFile());
    if (!file.isObject())
        file = Json::Value(Json::objectValue);
    file["Device"] = m_document;
    return data::WriteJsonFile(UserFile(), file);
}

void CMusicSettingsFile::ResetMusicFile() {
    m_document = DeviceOf(data::ReadJsonFile(UserFile()));
    const Json::Value defaults = data::ReadJsonFile(DefaultFile());
    if (!defaults.isNull()) {
        data::WriteJsonFile(UserFile(), defaults);
        m_document = DeviceOf(defaults);
    }
    LoadMusicStyle();
}

} // namespace vpc::panels
