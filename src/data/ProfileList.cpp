#include "ProfileList.h"

#include "CBasicProfiledata.h"
#include "DataLog.h"
#include "JsonFile.h"
#include "TextUtil.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

namespace vpc::data {

namespace {

constexpr char kListMember[] = "profilelist";
constexpr char kSelectMember[] = "profileselect";
constexpr char kNameMember[] = "profilename";
constexpr char kIdMember[] = "profileUUID";
constexpr char kLinkMember[] = "profileislink";
constexpr char kLinkNameMember[] = "profilelinkmame";

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string TextMember(const Json::Value& object, const char* member) {
    if (!object.isObject())
        return {};
    const Json::Value& value = object[member];
    return value.isString() ? value.asString() : std::string();
}

// The name a profile file carries, or empty.
std::string NameInFile(const std::filesystem::path& file) {
    return TextMember(ReadJsonFile(file), kNameMember);
}

// "profileselect" as an index, -1 when it is not an integer.
int SelectionMember(const Json::Value& list) {
    const Json::Value& value = list[kSelectMember];
    if (!value.isInt())
        return -1;
    return value.asInt();
}

// A name that the entries do not have yet: the wanted one, or it made unique the way an
// import is.
std::string UniqueName(const std::string& wanted, const std::vector<ProfileEntry>& entries) {
    if (IsBlank(wanted))
        return MakeNewProfileName(entries);
    return MakeImportName(wanted, entries);
}

} // namespace

bool IsProfileId(std::string_view text) {
    // 2024_03_05_14_07_09_042: digits in groups of 4, 2, 2, 2, 2, 2, 3.
    static constexpr std::string_view kShape = "dddd_dd_dd_dd_dd_dd_ddd";
    if (text.size() != kShape.size())
        return false;
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' ? !digit : text[i] != '_')
            return false;
    }
    return true;
}

bool SameProfileName(std::string_view a, std::string_view b) {
    return ToQString(a).compare(ToQString(b), Qt::CaseInsensitive) == 0;
}

bool HasProfileName(const std::vector<ProfileEntry>& entries, std::string_view name) {
    return std::any_of(entries.begin(), entries.end(), [name](const ProfileEntry& entry) {
        return SameProfileName(entry.name, name);
    });
}

std::string MakeNewProfileName(const std::vector<ProfileEntry>& entries) {
    for (int n = 1;; ++n) {
        std::string name = "profile" + std::to_string(n);
        if (!HasProfileName(entries, name))
            return name;
    }
}

std::string MakeCopyName(std::string_view source, const std::vector<ProfileEntry>& entries) {
    std::string name = std::string(source) + " copy";
    while (HasProfileName(entries, name))
        name += " copy";
    return name;
}

std::string MakeImportName(std::string_view title, const std::vector<ProfileEntry>& entries) {
    std::string name(title);
    for (int n = 1; HasProfileName(entries, name); ++n)
        name += "(" + std::to_string(n) + ")";
    return name;
}

CProfileList::CProfileList(std::filesystem::path deviceFolder, std::filesystem::path defaultProfile,
                           int deviceKind)
    : m_folder(std::move(deviceFolder)), m_defaultProfile(std::move(defaultProfile)),
      m_deviceKind(deviceKind) {}

void CProfileList::SetFolders(std::filesystem::path deviceFolder,
                              std::filesystem::path defaultProfile) {
    m_folder = std::move(deviceFolder);
    m_defaultProfile = std::move(defaultProfile);
}

std::filesystem::path CProfileList::ListPath() const {
    return m_folder / kProfileListFileName;
}

std::filesystem::path CProfileList::FileOf(const std::string& id) const {
    return m_folder / (id + kProfileFileExtension);
}

std::filesystem::path CProfileList::ProfilePath(int index) const {
    if (index < 0 || index >= Count())
        return {};
    return FileOf(m_entries[static_cast<std::size_t>(index)].id);
}

int CProfileList::IndexOfId(std::string_view id) const {
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [id](const ProfileEntry& entry) { return entry.id == id; });
    return it == m_entries.end() ? -1 : static_cast<int>(it - m_entries.begin());
}

std::string CProfileList::FreshId(const std::vector<ProfileEntry>& taken) const {
    // Two profiles made within one millisecond take the next free millisecond.
    const auto now = std::chrono::system_clock::now();
    for (int step = 0;; ++step) {
        std::string id = MakeTimeStamp(now + std::chrono::milliseconds(step));
        std::error_code ec;
        const bool listed = std::any_of(taken.begin(), taken.end(),
                                        [&](const ProfileEntry& e) { return e.id == id; });
        if (!listed && !std::filesystem::exists(FileOf(id), ec))
            return id;
    }
}

Json::Value CProfileList::NewProfileDocument(const std::string& name, const std::string& id) const {
    Json::Value document = ReadJsonFile(m_defaultProfile);
    if (!document.isObject()) {
        // Without a readable default the file holds only its names; the device fills it from
        // the default profile when it loads it.
        document = Json::Value(Json::objectValue);
    }
    document[kNameMember] = name;
    document[kIdMember] = id;
    return document;
}

bool CProfileList::WriteProfileFile(const std::string& id, Json::Value document) const {
    if (!IsSafeFileId(id))
        return false;
    return WriteJsonFile(FileOf(id), document);
}

bool CProfileList::WriteList() {
    Json::Value document =
        m_listDocument.isObject() ? m_listDocument : Json::Value(Json::objectValue);
    Json::Value list(Json::arrayValue);
    for (const ProfileEntry& entry : m_entries) {
        Json::Value element(Json::objectValue);
        element[kNameMember] = entry.name;
        element[kIdMember] = entry.id;
        element[kLinkMember] = 0;
        element[kLinkNameMember] = "";
        list.append(std::move(element));
    }
    document[kListMember] = std::move(list);
    document[kSelectMember] = m_storedSelection;
    if (!WriteJsonFile(ListPath(), document)) {
        qCWarning(lcVpcData) << "profile list not written:" << ListPath().c_str();
        return false;
    }
    m_listDocument = std::move(document);
    return true;
}

ListFileState CProfileList::Reload() {
    const std::filesystem::path listPath = ListPath();
    const JsonReadResult read = ReadJsonFileEx(listPath);
    const bool usable = read.ok() && read.value.isObject() && read.value[kListMember].isArray();

    std::vector<ProfileEntry> entries;
    bool repaired = false;
    int selection = 0;
    if (usable) {
        m_listDocument = read.value;
        for (const Json::Value& element : read.value[kListMember]) {
            ProfileEntry entry{TextMember(element, kNameMember), TextMember(element, kIdMember)};
            if (!element.isObject() || (entry.id.empty() && entry.name.empty())) {
                repaired = true; // a null or empty element names no profile
                continue;
            }
            // New profiles get time stamps, but a list written by hand or by an older
            // version may name its files otherwise: any name that stays a plain file
            // name in this folder is kept.
            const bool validId = IsSafeFileId(entry.id);
            const bool duplicateId =
                validId && std::any_of(entries.begin(), entries.end(),
                                       [&](const ProfileEntry& e) { return e.id == entry.id; });
            const std::string listedName = entry.name;
            if (validId && !duplicateId && IsBlank(entry.name))
                entry.name = NameInFile(FileOf(entry.id));
            if (IsBlank(entry.name) || HasProfileName(entries, entry.name))
                entry.name = UniqueName(entry.name, entries);
            repaired = repaired || entry.name != listedName;
            if (!validId || duplicateId) {
                // An id that is not a time stamp never becomes a path: the entry gets a new
                // profile. A second entry on the same file gets a copy of it, so that
                // deleting one never removes the other's file.
                const std::string source = duplicateId ? entry.id : std::string();
                entry.id = FreshId(entries);
                Json::Value document =
                    source.empty() ? Json::Value() : ReadJsonFile(FileOf(source));
                if (document.isObject()) {
                    document[kNameMember] = entry.name;
                    document[kIdMember] = entry.id;
                } else {
                    document = NewProfileDocument(entry.name, entry.id);
                }
                qCWarning(lcVpcData)
                    << "profile list entry with a bad or repeated id gets" << entry.id.c_str();
                if (!WriteProfileFile(entry.id, document))
                    continue;
                repaired = true;
            }
            entries.push_back(std::move(entry));
        }
        selection = SelectionMember(read.value);
    } else {
        m_listDocument = Json::Value();
        if (read.status != FileReadStatus::Missing) {
            qCWarning(lcVpcData) << "profile list unusable (" << ToString(read.status)
                                 << "), rebuilt from the profile files";
            KeepCorruptFile(listPath);
        }
    }

    // Profile files that the list does not name are taken in, oldest first: their files
    // carry their names, so nothing the user made becomes unreachable.
    std::vector<std::string> unlisted;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(m_folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::filesystem::path& file = it->path();
        if (file.extension() != kProfileFileExtension || !it->is_regular_file(ec))
            continue;
        std::string id = file.stem().string();
        if (IsProfileId(id) && std::none_of(entries.begin(), entries.end(),
                                            [&](const ProfileEntry& e) { return e.id == id; }))
            unlisted.push_back(std::move(id));
    }
    std::sort(unlisted.begin(), unlisted.end());
    for (std::string& id : unlisted) {
        std::string name = UniqueName(NameInFile(FileOf(id)), entries);
        entries.push_back({std::move(name), std::move(id)});
        repaired = true;
    }

    m_entries = std::move(entries);
    ListFileState state = usable ? ListFileState::Ok : ListFileState::Rebuilt;
    if (m_entries.empty()) {
        const ProfileEntry first{"profile1", FreshId(m_entries)};
        if (WriteProfileFile(first.id, NewProfileDocument(first.name, first.id)))
            m_entries.push_back(first);
        selection = 0;
        state = ListFileState::Created;
    }
    if (selection < 0 || selection >= Count()) {
        const int current = CurrentIndex();
        selection = current >= 0 ? current : 0;
        repaired = true;
    }
    m_storedSelection = selection;
    if (state == ListFileState::Ok && repaired)
        state = ListFileState::Repaired;
    if (state != ListFileState::Ok && !m_entries.empty())
        WriteList();
    m_lastState = state;
    return state;
}

ListFileState CProfileList::Load() {
    const ListFileState state = Reload();
    m_currentId = m_entries.empty() ? std::string() : m_entries[m_storedSelection].id;
    return state;
}

int CProfileList::ReloadAndFind(int index) {
    if (index < 0 || index >= Count())
        return -1;
    const std::string id = m_entries[static_cast<std::size_t>(index)].id;
    Reload();
    return IndexOfId(id);
}

bool CProfileList::Select(int index) {
    const int found = ReloadAndFind(index);
    if (found < 0)
        return false;
    m_storedSelection = found;
    m_currentId = m_entries[static_cast<std::size_t>(found)].id;
    WriteList();
    return true;
}

int CProfileList::AppendWritten(ProfileEntry entry, bool storeAsSelection) {
    const int previousSelection = m_storedSelection;
    const std::string id = entry.id;
    m_entries.push_back(std::move(entry));
    if (storeAsSelection)
        m_storedSelection = Count() - 1;
    if (!WriteList()) {
        m_entries.pop_back();
        m_storedSelection = previousSelection;
        std::error_code ec;
        std::filesystem::remove(FileOf(id), ec);
        return -1;
    }
    return Count() - 1;
}

int CProfileList::Add() {
    if (Count() >= kMaxProfilesWhenAdding)
        return -1;
    Reload();
    if (Count() >= kMaxProfilesWhenAdding)
        return -1;
    ProfileEntry entry{MakeNewProfileName(m_entries), FreshId(m_entries)};
    if (!WriteProfileFile(entry.id, NewProfileDocument(entry.name, entry.id)))
        return -1;
    return AppendWritten(std::move(entry), true);
}

int CProfileList::Copy(int index) {
    const int source = ReloadAndFind(index);
    if (source < 0)
        return -1;
    const std::string sourceId = m_entries[static_cast<std::size_t>(source)].id;
    ProfileEntry entry{MakeCopyName(m_entries[static_cast<std::size_t>(source)].name, m_entries),
                       FreshId(m_entries)};
    Json::Value document = ReadJsonFile(FileOf(sourceId));
    if (document.isObject()) {
        document[kNameMember] = entry.name;
        document[kIdMember] = entry.id;
    } else {
        // A profile without a readable file is shown as the default profile: copy that.
        document = NewProfileDocument(entry.name, entry.id);
    }
    if (!WriteProfileFile(entry.id, document))
        return -1;
    return AppendWritten(std::move(entry), false);
}

int CProfileList::Delete(int index) {
    if (Count() <= 1)
        return -1;
    const int found = ReloadAndFind(index);
    if (found < 0 || Count() <= 1)
        return -1;
    const std::string id = m_entries[static_cast<std::size_t>(found)].id;
    const std::vector<ProfileEntry> before = m_entries;
    const int previousSelection = m_storedSelection;
    const std::string previousCurrent = m_currentId;
    const int next = found == 0 ? 0 : found - 1;
    m_entries.erase(m_entries.begin() + found);
    m_storedSelection = next;
    m_currentId = m_entries[static_cast<std::size_t>(next)].id;
    if (!WriteList()) {
        m_entries = before;
        m_storedSelection = previousSelection;
        m_currentId = previousCurrent;
        return -1;
    }
    std::error_code ec;
    if (!std::filesystem::remove(FileOf(id), ec) && ec)
        qCWarning(lcVpcData) << "profile file not removed:" << FileOf(id).c_str();
    return next;
}

RenameResult CProfileList::Rename(int index, std::string_view name) {
    if (ProfilePath(index).empty())
        return RenameResult::NotDone;
    if (IsBlank(name))
        return RenameResult::Blank;
    const int found = ReloadAndFind(index);
    if (found < 0)
        return RenameResult::NotDone;
    const std::string id = m_entries[static_cast<std::size_t>(found)].id;
    for (int i = 0; i < Count(); ++i) {
        if (i != found && SameProfileName(m_entries[static_cast<std::size_t>(i)].name, name))
            return RenameResult::Duplicate;
    }
    ProfileEntry& entry = m_entries[static_cast<std::size_t>(found)];
    const std::string oldName = entry.name;
    entry.name = std::string(name);
    if (!WriteList()) {
        entry.name = oldName;
        return RenameResult::NotDone;
    }
    // The profile file carries its name too; a damaged file is left for the device to repair.
    const std::filesystem::path file = FileOf(id);
    const JsonReadResult read = ReadJsonFileEx(file);
    Json::Value document = read.ok() ? read.value : Json::Value();
    if (read.status == FileReadStatus::Missing)
        document = Json::Value(Json::objectValue);
    if (document.isObject()) {
        document[kNameMember] = entry.name;
        document[kIdMember] = id;
        WriteJsonFile(file, document);
    }
    return RenameResult::Renamed;
}

bool CProfileList::Reset(int index) {
    const int found = ReloadAndFind(index);
    if (found < 0)
        return false;
    const std::string id = m_entries[static_cast<std::size_t>(found)].id;
    Json::Value document = ReadJsonFile(m_defaultProfile);
    if (!document.isObject() || !document["Device"].isArray()) {
        qCWarning(lcVpcData) << "default profile unreadable, profile not reset:"
                             << m_defaultProfile.c_str();
        return false;
    }
    document[kNameMember] = m_entries[static_cast<std::size_t>(found)].name;
    document[kIdMember] = id;
    if (m_deviceKind == kHeadsetDeviceKind) {
        // The user's custom equaliser presets survive a reset.
        const Json::Value current = ReadJsonFile(FileOf(id));
        Json::Value& target = document["Device"][0];
        if (current.isObject() && current["Device"].isArray() && current["Device"][0].isObject() &&
            target.isObject()) {
            for (const char* member : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
                if (current["Device"][0].isMember(member))
                    target[member] = current["Device"][0][member];
            }
        }
    }
    return WriteProfileFile(id, document);
}

ImportResult CProfileList::Import(const std::filesystem::path& path, int* newIndex) {
    if (newIndex)
        *newIndex = -1;
    const JsonReadResult read = ReadJsonFileEx(path);
    if (!read.ok())
        return ImportResult::Unreadable;
    Json::Value document = read.value;
    // A profile: an object with its names. Its "Device" array may be missing (loading fills it
    // from the default profile), but one that is there must hold an object first.
    if (!document.isObject() || !document.isMember(kNameMember) || !document.isMember(kIdMember))
        return ImportResult::NotAProfile;
    const Json::Value& device = document["Device"];
    if (!device.isNull() && (!device.isArray() || device.empty() || !device[0].isObject()))
        return ImportResult::NotAProfile;
    Reload();
    const std::string title = FileTitle(path);
    ProfileEntry entry{IsBlank(title) ? MakeNewProfileName(m_entries)
                                      : MakeImportName(title, m_entries),
                       FreshId(m_entries)};
    document[kNameMember] = entry.name;
    document[kIdMember] = entry.id;
    if (!WriteProfileFile(entry.id, document))
        return ImportResult::WriteFailed;
    const int index = AppendWritten(std::move(entry), false);
    if (index < 0)
        return ImportResult::WriteFailed;
    if (newIndex)
        *newIndex = index;
    return ImportResult::Imported;
}

bool CProfileList::Export(int index, const std::filesystem::path& path) const {
    const std::filesystem::path file = ProfilePath(index);
    if (file.empty() || path.empty())
        return false;
    const JsonReadResult read = ReadJsonFileEx(file);
    if (!read.ok())
        return false;
    return WriteJsonFile(path, read.value);
}

} // namespace vpc::data
