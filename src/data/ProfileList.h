// The profiles of one device: the list file "ProfileList.ini" (JSON) and one profile file per
// entry. The one source of truth for the profile panel; no operation writes a list that loses a
// profile.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

namespace vpc::data {

inline constexpr char kProfileListFileName[] = "ProfileList.ini";
inline constexpr char kProfileFileExtension[] = ".Json";
// Adding stops at this many profiles (copy and import do not check it).
inline constexpr int kMaxProfilesWhenAdding = 50;
// Device kind of a headset: its reset keeps the user's custom equaliser presets.
inline constexpr int kHeadsetDeviceKind = 7;

struct ProfileEntry {
    std::string name; // display name, UTF-8
    std::string id;   // profileUUID: creation time stamp and base name of the profile file
};

// True when text has the form MakeTimeStamp gives ("2024_03_05_14_07_09_042"). Only such ids
// ever become file names.
bool IsProfileId(std::string_view text);

// Profile names are unique within a device, compared ignoring letter case.
bool SameProfileName(std::string_view a, std::string_view b);
bool HasProfileName(const std::vector<ProfileEntry>& entries, std::string_view name);

// "profile1", "profile2", ...: the first that no entry has.
std::string MakeNewProfileName(const std::vector<ProfileEntry>& entries);
// "<source> copy", "<source> copy copy", ...
std::string MakeCopyName(std::string_view source, const std::vector<ProfileEntry>& entries);
// "<title>", then "(1)", "(2)", ... appended in turn: Work, Work(1), Work(1)(2).
std::string MakeImportName(std::string_view title, const std::vector<ProfileEntry>& entries);

enum class RenameResult { NotDone = -1, Duplicate = 0, Renamed = 1, Blank = 2 };

enum class ImportResult { Imported, Unreadable, NotAProfile, WriteFailed };

// What the last reading of the list file found.
enum class ListFileState {
    Ok,       // read as it was written
    Created,  // no profile anywhere: "profile1" was created
    Repaired, // entries fixed (bad or duplicate ids, missing names, unlisted profile files,
              // selection out of range) and the list written again
    Rebuilt,  // missing or unreadable list: rebuilt from the profile files
};

class CProfileList {
public:
    CProfileList() = default;
    CProfileList(std::filesystem::path deviceFolder, std::filesystem::path defaultProfile,
                 int deviceKind);

    void SetFolders(std::filesystem::path deviceFolder, std::filesystem::path defaultProfile);
    void SetDeviceKind(int kind) { m_deviceKind = kind; }
    int DeviceKind() const { return m_deviceKind; }

    // Reads the list (repairing or rebuilding it, creating "profile1" when there is no
    // profile at all) and makes the stored selection current.
    ListFileState Load();
    // Reads the list file again; the current profile stays current while it is listed.
    ListFileState Reload();
    ListFileState LastState() const { return m_lastState; }

    const std::vector<ProfileEntry>& Entries() const { return m_entries; }
    int Count() const { return static_cast<int>(m_entries.size()); }
    int IndexOfId(std::string_view id) const;
    // The list file's "profileselect".
    int StoredSelection() const { return m_storedSelection; }
    // The profile the device works on.
    const std::string& CurrentId() const { return m_currentId; }
    int CurrentIndex() const { return IndexOfId(m_currentId); }

    std::filesystem::path ListPath() const;
    // Device folder + id + ".Json"; empty for an index out of range.
    std::filesystem::path ProfilePath(int index) const;

    // Every operation takes the entry at index of Entries(), reads the list file again and
    // acts on that same profile (by id) in the file's list; when the file no longer lists it,
    // nothing changes and the failure value is returned.

    // Makes the entry current and stores it as "profileselect".
    bool Select(int index);
    // A new profile from the default profile, stored as "profileselect" (the current profile
    // stays). The index of the new entry, or -1 (50 profiles, or a file could not be written).
    int Add();
    // A copy of the profile at index; "profileselect" unchanged. The new index or -1.
    int Copy(int index);
    // Removes the profile (never the last one): the list is written first, then the file is
    // removed. Returns the index that is now current (the previous entry, or 0), or -1.
    int Delete(int index);
    RenameResult Rename(int index, std::string_view name);
    // The profile at index gets the default profile again, keeping its name and id.
    bool Reset(int index);
    // Adds the profile file at path after checking it is a profile. The new index or -1.
    ImportResult Import(const std::filesystem::path& path, int* newIndex = nullptr);
    // Writes the profile at index, unchanged, to path.
    bool Export(int index, const std::filesystem::path& path) const;

private:
    std::filesystem::path FileOf(const std::string& id) const;
    // Where the profile now at index stands in the list file read again; -1 when index is out
    // of range or the file no longer lists that profile.
    int ReloadAndFind(int index);
    // A time stamp id that no entry of taken and no file in the folder has.
    std::string FreshId(const std::vector<ProfileEntry>& taken) const;
    Json::Value NewProfileDocument(const std::string& name, const std::string& id) const;
    bool WriteProfileFile(const std::string& id, Json::Value document) const;
    bool WriteList();
    // Appends an entry whose profile file was just written; undone when the list cannot be
    // written.
    int AppendWritten(ProfileEntry entry, bool storeAsSelection);

    std::filesystem::path m_folder;
    std::filesystem::path m_defaultProfile;
    int m_deviceKind = 0;
    std::vector<ProfileEntry> m_entries;
    Json::Value m_listDocument; // members of the list file this program does not use
    int m_storedSelection = 0;
    std::string m_currentId;
    ListFileState m_lastState = ListFileState::Ok;
};

} // namespace vpc::data
