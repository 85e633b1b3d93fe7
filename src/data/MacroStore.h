// The macros of one device folder: "macro.config" names and orders them, one "<Guid>.mac"
// file holds each macro's actions. Adding, renaming, removing (with every profile's keys
// following), importing, exporting, and the actions for the editor and the device.
#pragma once

#include "KeyAssignment.h"

#include <json/json.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vpc::data {

inline constexpr char kMacroListFileName[] = "macro.config";
inline constexpr int kMaxMacros = 50;
inline constexpr std::size_t kMaxMacroActions = 4000;

struct MacroInfo {
    std::string name; // "MacroName"
    std::string guid; // "Guid"
    bool operator==(const MacroInfo&) const = default;
};

// Keys on macro k get their default back; keys on a later macro follow it down by one.
// True when an entry changed.
bool RemapMacroKeys(std::vector<KeyEntry>& keys, int removedIndex);

// The actions of a macro file or an import, checked: "Events" of at most 4000 objects with
// the members of an action. Nothing when the document is not such a macro.
std::optional<std::vector<Json::Value>> ReadMacroEvents(const Json::Value& document);

class CMacroStore {
public:
    explicit CMacroStore(std::filesystem::path folder);

    const std::filesystem::path& Folder() const { return m_folder; }
    // The macros in index order. An entry whose Guid is no time stamp is listed (its index
    // counts) but has no file: it is never read, written or deleted.
    std::vector<MacroInfo> List() const;
    // "macro_1", "macro_2", ...: the first name no macro has (in any case); empty when there
    // are 50 macros already or the list cannot be written.
    std::string Add();
    enum class RenameResult { Renamed, Blank, Taken, NoMacro, WriteFailed };
    RenameResult Rename(int index, const std::string& name);
    // Removes macro `index` when the list still has `expectedCount` macros: the keys of
    // every profile in the folder follow (RemapMacroKeys), then the list entry and the file
    // go. An interruption at any point is finished by the next Recover.
    bool Remove(int index, int expectedCount);
    // Finishes a removal that an interruption left half done; true when there was one.
    bool Recover();

    // The file of a macro; empty for a Guid that is no time stamp.
    std::filesystem::path MacroFile(int index) const;
    // The macro's actions; empty for a missing or damaged file.
    std::vector<Json::Value> Events(int index) const;
    // Writes the actions (delays as decimal text), the name and the Guid.
    bool SaveEvents(int index, const std::vector<Json::Value>& events);
    // A macro file becomes a new macro named after a free "macro_n"; empty when it is not a
    // macro or there is no room, and then nothing changes.
    std::string Import(const std::filesystem::path& source);
    bool Export(int index, const std::filesystem::path& destination) const;

private:
    std::filesystem::path ListPath() const { return m_folder / kMacroListFileName; }
    std::filesystem::path JournalPath() const;

    std::filesystem::path m_folder;
};

} // namespace vpc::data
