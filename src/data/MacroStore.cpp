#include "MacroStore.h"

#include "DataLog.h"
#include "JsonAccess.h"
#include "JsonFile.h"
#include "MacroImage.h"
#include "ProfileList.h"
#include "TextUtil.h"

#include <QString>

#include <algorithm>
#include <system_error>

namespace vpc::data {

namespace {

constexpr char kInfoMember[] = "MacroInfo";
constexpr char kNameMember[] = "MacroName";
constexpr char kGuidMember[] = "Guid";
constexpr char kEventsMember[] = "Events";
constexpr char kJournalName[] = "macro.delete";
constexpr char kPendingSuffix[] = ".macro-pending";
constexpr int kMacroFileVersion = 64;

std::string TextOf(const Json::Value& object, const char* member) {
    const Json::Value& value = json::Member(object, member);
    return value.isString() ? value.asString() : std::string();
}

bool SameName(const std::string& a, const std::string& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

bool HasName(const std::vector<MacroInfo>& macros, const std::string& name) {
    return std::any_of(macros.begin(), macros.end(),
                       [&name](const MacroInfo& m) { return SameName(m.name, name); });
}

bool IsIntegral(const Json::Value& value) {
    return value.isIntegral() ||
           (value.isDouble() && value.asDouble() == static_cast<double>(value.asInt64()));
}

// A key list of a profile document with the removal applied; true when it changed.
bool RemapKeyListMember(Json::Value& record, const char* member, int removedIndex) {
    Json::Value& list = record[member];
    if (!list.isArray())
        return false;
    bool changed = false;
    for (Json::Value& element : list) {
        if (!element.isObject())
            continue;
        std::vector<KeyEntry> one = {KeyEntry::Make(
            0, KeyAssignment::FromCode(json::ToUInt32(json::Member(element, "Assignment"))),
            KeyAssignment::FromCode(json::ToUInt32(json::Member(element, "DefaultAssignment"))))};
        if (RemapMacroKeys(one, removedIndex)) {
            element["Assignment"] = Json::UInt(one[0].current.assignment.ToCode());
            changed = true;
        }
    }
    return changed;
}

} // namespace

bool RemapMacroKeys(std::vector<KeyEntry>& keys, int removedIndex) {
    bool changed = false;
    for (KeyEntry& entry : keys) {
        if (!entry.IsMacro())
            continue;
        const int macro = entry.current.assignment.code1;
        if (macro == removedIndex) {
            entry.current.assignment = entry.defaults.assignment;
            changed = true;
        } else if (macro > removedIndex) {
            entry.current.assignment.code1 = static_cast<std::uint8_t>(macro - 1);
            changed = true;
        }
    }
    return changed;
}

std::optional<std::vector<Json::Value>> ReadMacroEvents(const Json::Value& document) {
    if (!document.isObject())
        return std::nullopt;
    const Json::Value& events = document[kEventsMember];
    if (!events.isArray() || events.size() > kMaxMacroActions)
        return std::nullopt;
    std::vector<Json::Value> result;
    result.reserve(events.size());
    for (const Json::Value& event : events) {
        if (!event.isObject() || !event["Action"].isString() || !IsIntegral(event["Button"]) ||
            !IsIntegral(event["Type"]))
            return std::nullopt;
        const Json::Value& delay = event["Delay"];
        if (!delay.isNull() && !delay.isString() && !IsIntegral(delay))
            return std::nullopt;
        result.push_back(event);
    }
    return result;
}

CMacroStore::CMacroStore(std::filesystem::path folder) : m_folder(std::move(folder)) {}

std::filesystem::path CMacroStore::JournalPath() const {
    return m_folder / kJournalName;
}

std::vector<MacroInfo> CMacroStore::List() const {
    const Json::Value document = ReadJsonFile(ListPath());
    std::vector<MacroInfo> macros;
    const Json::Value& info = json::Member(document, kInfoMember);
    if (!info.isArray())
        return macros;
    for (const Json::Value& element : info)
        macros.push_back({TextOf(element, kNameMember), TextOf(element, kGuidMember)});
    return macros;
}

std::string CMacroStore::Add() {
    const std::vector<MacroInfo> macros = List();
    if (macros.size() >= static_cast<std::size_t>(kMaxMacros))
        return {};
    std::string name;
    for (int n = 1; name.empty() || HasName(macros, name); ++n)
        name = "macro_" + std::to_string(n);
    std::string guid = MakeTimeStamp();
    for (int step = 1; std::any_of(macros.begin(), macros.end(),
                                   [&guid](const MacroInfo& m) { return m.guid == guid; });
         ++step)
        guid = MakeTimeStamp(std::chrono::system_clock::now() + std::chrono::milliseconds(step));
    Json::Value document = ReadJsonFile(ListPath());
    if (!document.isObject())
        document = Json::Value(Json::objectValue);
    if (!document[kInfoMember].isArray())
        document[kInfoMember] = Json::Value(Json::arrayValue);
    Json::Value element(Json::objectValue);
    element[kNameMember] = name;
    element[kGuidMember] = guid;
    document[kInfoMember].append(element);
    if (!WriteJsonFile(ListPath(), document))
        return {};
    return name;
}

CMacroStore::RenameResult CMacroStore::Rename(int index, const std::string& name) {
    const std::vector<MacroInfo> macros = List();
    if (index < 0 || index >= static_cast<int>(macros.size()))
        return RenameResult::NoMacro;
    if (IsBlank(name))
        return RenameResult::Blank;
    if (HasName(macros, name))
        return RenameResult::Taken; // its own name too
    Json::Value document = ReadJsonFile(ListPath());
    document[kInfoMember][index][kNameMember] = name;
    return WriteJsonFile(ListPath(), document) ? RenameResult::Renamed : RenameResult::WriteFailed;
}

bool CMacroStore::Remove(int index, int expectedCount) {
    Recover();
    const JsonReadResult read = ReadJsonFileEx(ListPath());
    if (!read.ok() || !read.value.isObject() || !read.value[kInfoMember].isArray())
        return false;
    const std::vector<MacroInfo> macros = List();
    if (static_cast<int>(macros.size()) != expectedCount || index < 0 ||
        index >= static_cast<int>(macros.size()))
        return false; // the list changed under us: nothing is touched
    // Every file that changes is first written beside its target; the journal names them;
    // then each is moved over its target. A removal cut short anywhere is finished from the
    // journal, and without a journal the old state is whole.
    Json::Value journal(Json::objectValue);
    journal[kGuidMember] = macros[static_cast<std::size_t>(index)].guid;
    journal["Files"] = Json::Value(Json::arrayValue);
    const auto stage = [&](const std::filesystem::path& target, const Json::Value& document) {
        const std::filesystem::path pending = target.string() + kPendingSuffix;
        if (!WriteJsonFile(pending, document))
            return false;
        journal["Files"].append(target.filename().string());
        return true;
    };
    std::error_code ec;
    for (std::filesystem::directory_iterator it(m_folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::filesystem::path& file = it->path();
        if (file.extension() != ".Json" || !it->is_regular_file(ec))
            continue;
        Json::Value profile = ReadJsonFile(file);
        if (!profile.isObject() || !profile["Device"].isArray())
            continue;
        bool changed = false;
        for (Json::Value& record : profile["Device"]) {
            if (!record.isObject())
                continue;
            changed = RemapKeyListMember(record, "KeyList", index) || changed;
            changed = RemapKeyListMember(record, "SecondKeyList", index) || changed;
        }
        if (changed && !stage(file, profile))
            return false;
    }
    Json::Value list = read.value;
    Json::Value removed;
    list[kInfoMember].removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
    if (!stage(ListPath(), list) || !WriteJsonFile(JournalPath(), journal))
        return false;
    Recover();
    return true;
}

bool CMacroStore::Recover() {
    std::error_code ec;
    const bool pending = std::filesystem::exists(JournalPath(), ec);
    const Json::Value journal = pending ? ReadJsonFile(JournalPath()) : Json::Value();
    if (pending && journal.isObject()) {
        for (const Json::Value& name : journal["Files"]) {
            if (!name.isString())
                continue;
            const std::filesystem::path target = m_folder / name.asString();
            if (target.filename() != target.lexically_normal().filename() ||
                name.asString().find('/') != std::string::npos)
                continue; // only files of this folder
            const std::filesystem::path staged = target.string() + kPendingSuffix;
            if (std::filesystem::exists(staged, ec))
                std::filesystem::rename(staged, target, ec);
        }
        const std::string guid = TextOf(journal, kGuidMember);
        if (IsProfileId(guid))
            std::filesystem::remove(m_folder / (guid + ".mac"), ec);
    }
    // staged files of a removal that never got its journal: the old state stands
    for (std::filesystem::directory_iterator it(m_folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > sizeof kPendingSuffix &&
            name.compare(name.size() - (sizeof kPendingSuffix - 1), std::string::npos,
                         kPendingSuffix) == 0)
            std::filesystem::remove(it->path(), ec);
    }
    if (pending)
        std::filesystem::remove(JournalPath(), ec);
    return pending;
}

std::filesystem::path CMacroStore::MacroFile(int index) const {
    const std::vector<MacroInfo> macros = List();
    if (index < 0 || index >= static_cast<int>(macros.size()))
        return {};
    const std::string& guid = macros[static_cast<std::size_t>(index)].guid;
    if (!IsProfileId(guid))
        return {}; // a Guid that could name another path is never used as one
    return m_folder / (guid + ".mac");
}

std::vector<Json::Value> CMacroStore::Events(int index) const {
    const std::filesystem::path file = MacroFile(index);
    if (file.empty())
        return {};
    return ReadMacroEvents(ReadJsonFile(file)).value_or(std::vector<Json::Value>{});
}

bool CMacroStore::SaveEvents(int index, const std::vector<Json::Value>& events) {
    const std::filesystem::path file = MacroFile(index);
    if (file.empty() || events.size() > kMaxMacroActions)
        return false;
    const MacroInfo info = List()[static_cast<std::size_t>(index)];
    Json::Value document(Json::objectValue);
    document[kEventsMember] = Json::Value(Json::arrayValue);
    for (Json::Value event : events) {
        event["Delay"] = std::to_string(MacroDelayValue(event["Delay"]));
        document[kEventsMember].append(event);
    }
    document[kGuidMember] = info.guid;
    document[kNameMember] = info.name;
    document["Version"] = kMacroFileVersion;
    return WriteJsonFile(file, document);
}

std::string CMacroStore::Import(const std::filesystem::path& source) {
    if (source.empty())
        return {};
    const JsonReadResult read = ReadJsonFileEx(source);
    if (!read.ok())
        return {};
    const std::optional<std::vector<Json::Value>> events = ReadMacroEvents(read.value);
    if (!events) {
        qCWarning(lcVpcData) << "not a macro file, nothing imported:" << source.c_str();
        return {};
    }
    const std::string name = Add();
    if (name.empty())
        return {};
    const int index = static_cast<int>(List().size()) - 1;
    SaveEvents(index, *events);
    return name;
}

bool CMacroStore::Export(int index, const std::filesystem::path& destination) const {
    const std::filesystem::path file = MacroFile(index);
    if (file.empty() || destination.empty())
        return false;
    std::error_code ec;
    std::filesystem::copy_file(file, destination, std::filesystem::copy_options::overwrite_existing,
                               ec);
    return !ec;
}

} // namespace vpc::data
