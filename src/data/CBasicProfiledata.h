// CBasicProfiledata: the current profile of one device as a JSON document, with typed readers
// and writers of the sections every device kind shares, and safe loading and saving.
#pragma once

#include "JsonFile.h"
#include "KeyAssignment.h"
#include "ProfileRecords.h"

#include <filesystem>
#include <string_view>
#include <vector>

#include <json/value.h>

namespace vpc::data {

// Limits on what a file may make the program allocate or index.
inline constexpr int kMaxRecordIndex = 15;
inline constexpr int kMaxLightType = 15;
inline constexpr Json::ArrayIndex kMaxListElements = 1024;
inline constexpr Json::ArrayIndex kMaxEffectFrames = 4096;

// What Load found and did.
struct ProfileLoadReport {
    FileReadStatus fileStatus = FileReadStatus::Missing; // the profile file as read
    bool fromDefault = false;     // the element came from the default profile file
    bool written = false;         // the profile file was created or repaired on the disk
    std::filesystem::path keptAs; // where a damaged profile file was moved, if it was
};

// True for an identifier that may become a file name inside a data folder: 1-128 characters
// of letters, digits, '_', '-', '{' and '}'.
bool IsSafeFileId(std::string_view id);

class CBasicProfiledata {
public:
    CBasicProfiledata();
    virtual ~CBasicProfiledata();
    CBasicProfiledata(const CBasicProfiledata&) = delete;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = delete;

    // Paths. The profile and default paths ignore an empty path.
    void SetProfilePath(const std::filesystem::path& path);
    const std::filesystem::path& GetProfilePath() const { return m_profilePath; }
    void SetDefaultPath(const std::filesystem::path& path);
    const std::filesystem::path& GetDefaultPath() const { return m_defaultPath; }
    void SetLightConfigPath(const std::filesystem::path& path) { m_lightConfigPath = path; }
    const std::filesystem::path& GetLightConfigPath() const { return m_lightConfigPath; }

    // Element of "Device" the object works on (0-kMaxRecordIndex); false leaves it unchanged.
    bool SetRecordIndex(int index);
    int GetRecordIndex() const { return m_recordIndex; }

    // The device's light type: the row of the light configuration's lists (0-kMaxLightType).
    bool SetLightType(int lightType);
    int GetLightType() const { return m_lightType; }

    // Reads element [record index] of "Device" of the file. When the file lacks it, the
    // default file's element is taken and the profile file is created or repaired with it;
    // a damaged file is first kept beside it under a new name. The default file itself is
    // never written. Returns a copy of the profile document.
    Json::Value Load(const std::filesystem::path& path);
    Json::Value LoadSecond(const std::filesystem::path& path);
    const ProfileLoadReport& GetLastLoadReport() const { return m_lastLoadReport; }

    // The whole light configuration file ("zemra_light.config").
    Json::Value LoadLightConfig(const std::filesystem::path& path);

    LightInfo GetLightInfo();
    void SetLightInfo(const LightInfo& info);
    AudioLightInfo GetAudioLightInfo();
    void SetAudioLightInfo(const AudioLightInfo& info);
    std::vector<LightListEntry> GetLightList();

    // Frames of the custom effect of the cached LightInfo's mode for the device's light type;
    // the effect file is "<Guid>.light" in the light configuration's folder.
    std::vector<EffectFrame> GetEffectFrames();

    std::vector<KeyEntry> GetKeyList();
    // Writes "Assignment" of each position of the list; "DefaultAssignment" is never written.
    void SetKeyList(const std::vector<KeyEntry>& list);
    std::vector<KeyEntry> GetSecondKeyList();
    void SetSecondKeyList(const std::vector<KeyEntry>& list);

    // Writes the profile document into element [record index] of "Device" of the profile
    // file; the rest of the file is kept. False when it could not be written.
    virtual bool Save();
    virtual bool SaveEntry(const Json::Value& value, const std::filesystem::path& path);
    virtual bool SaveSecond(const std::filesystem::path& path);
    virtual bool WriteDocument(const Json::Value& value, const std::filesystem::path& path);

    const Json::Value& GetDocument() const { return m_document; }
    const Json::Value& GetSecondDocument() const { return m_secondDocument; }
    const Json::Value& GetLightConfig() const { return m_lightConfig; }

protected:
    // The profile document for the typed writers of the derived classes.
    Json::Value& Document() { return m_document; }

private:
    // The whole file a document was last read from or written to.
    struct FileSnapshot {
        std::filesystem::path path;
        Json::Value document;
    };

    Json::Value LoadInto(const std::filesystem::path& path, Json::Value& target,
                         FileSnapshot& snapshot);
    static std::vector<KeyEntry> ReadKeyList(const Json::Value& document);
    static void WriteKeyList(Json::Value& document, const std::vector<KeyEntry>& list);

    std::filesystem::path m_profilePath;
    std::filesystem::path m_defaultPath;
    std::filesystem::path m_lightConfigPath;
    LightInfo m_lightInfo;
    AudioLightInfo m_audioLightInfo;
    std::vector<LightListEntry> m_lightList;
    Json::Value m_document;
    Json::Value m_secondDocument;
    std::vector<EffectFrame> m_effectFrames;
    Json::Value m_lightConfig;
    std::vector<KeyEntry> m_keyList;
    std::vector<KeyEntry> m_secondKeyList;
    int m_recordIndex = 0;
    int m_lightType = 0;
    FileSnapshot m_profileFile;
    FileSnapshot m_secondFile;
    ProfileLoadReport m_lastLoadReport;
};

} // namespace vpc::data
