// The music style record (the selected style group, the four group names and colours) and
// "AudioFile.json", which keeps it: the default copy in the default data folder, the user copy
// in the user data root, and the audio settings document the main window holds in memory.
#pragma once

#include <json/value.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace vpc::panels {

struct MusicStyle {
    std::uint8_t style = 0;                // the selected group, 0-3
    std::array<std::string, 4> names;      // UTF-8
    std::array<std::uint8_t, 12> colors{}; // red, green, blue of groups 0-3, each 0-9

    std::uint8_t& Component(int group, int component) {
        return colors[static_cast<std::size_t>(std::clamp(group, 0, 3) * 3 +
                                               std::clamp(component, 0, 2))];
    }
    std::uint8_t Component(int group, int component) const {
        return colors[static_cast<std::size_t>(std::clamp(group, 0, 3) * 3 +
                                               std::clamp(component, 0, 2))];
    }
    bool operator==(const MusicStyle&) const = default;
};

inline constexpr const char* kMusicFileName = "AudioFile.json";
// What an emptied name box of the music window is filled with, group by group.
inline constexpr std::array<const char*, 4> kDefaultStyleNames = {"第一组", "第二组", "第三组",
                                                                  "第四组"};

// The record from an `AudioLightInfo` object (missing or wrong members read as 0 or "";
// numbers are held to their ranges).
MusicStyle ReadMusicStyle(const Json::Value& audioLightInfo);
Json::Value WriteMusicStyle(const MusicStyle& style);

// The 40-byte style record for the companion: red, green, blue of the selected group as three
// 32-bit integers (a green of 0 is sent as 1), then zeros.
std::array<std::uint8_t, 40> MusicStyleRecord(const MusicStyle& style);

// The audio settings document and the two copies of "AudioFile.json".
class CMusicSettingsFile {
public:
    CMusicSettingsFile(std::filesystem::path defaultFolder, std::filesystem::path userRoot);

    // Start-up: the user copy's `Device`; when that is null, the default copy is written to the
    // user copy and its `Device` taken. Then LoadMusicStyle.
    void Open();
    // From the document's `AudioLightInfo` when there is one (the current record otherwise).
    MusicStyle LoadMusicStyle();
    // The record becomes the current one and the document's `AudioLightInfo`.
    void StoreMusicStyle(const MusicStyle& style);
    // Writes the document as the user copy's `Device` (the rest of the file kept).
    bool SaveMusicFile();
    // The default copy replaces the user copy and becomes the document; LoadMusicStyle.
    void ResetMusicFile();

    const MusicStyle& Current() const { return m_style; }
    const Json::Value& Document() const { return m_document; }
    std::filesystem::path UserFile() const { return m_userRoot / kMusicFileName; }
    std::filesystem::path DefaultFile() const { return m_defaultFolder / kMusicFileName; }

private:
    std::filesystem::path m_defaultFolder;
    std::filesystem::path m_userRoot;
    Json::Value m_document; // the `Device` member of the user copy
    MusicStyle m_style;
};

} // namespace vpc::panels
