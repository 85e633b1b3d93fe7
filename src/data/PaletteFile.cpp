#include "PaletteFile.h"

#include "DataFolders.h"
#include "JsonAccess.h"
#include "JsonFile.h"
#include "TextUtil.h"

namespace vpc::data {

using json::Element;
using json::Member;
using json::WritableElement;
using json::WritableMember;

namespace {

constexpr char kRoot[] = "coloroptioninfo";
constexpr char kStandard[] = "palletDialogcoloroption";
constexpr char kStandardSelect[] = "palletDialogcoloroption_selectitem";
constexpr char kSaved[] = "palletDialogcollectcoloroption";
constexpr char kSavedSelect[] = "palletDialogcollectcoloroption_selectitem";

std::optional<std::uint32_t> ParseColor(const Json::Value& value) {
    std::uint32_t color = 0;
    if (!value.isString() || !ParseHex32(value.asString(), color))
        return std::nullopt;
    return color;
}

// The user file as a base for writing: its content when it is a valid palette object.
Json::Value ReadBase(const std::filesystem::path& path) {
    Json::Value doc = ReadJsonFile(path);
    if (!doc.isObject())
        doc = Json::Value(Json::objectValue);
    return doc;
}

} // namespace

CPaletteFile::CPaletteFile(std::filesystem::path userFile, std::filesystem::path defaultFile)
    : m_userFile(std::move(userFile)), m_defaultFile(std::move(defaultFile)) {}

CPaletteFile CPaletteFile::FromDataFolders() {
    return CPaletteFile(GetUserDataRoot() / kPaletteFileName,
                        GetDefaultDataFolder() / kPaletteFileName);
}

bool CPaletteFile::OpenPaletteFile() {
    const JsonReadResult user = ReadJsonFileEx(m_userFile);
    if (user.ok() && user.value.isObject())
        return true;
    if (user.status == FileReadStatus::NotRegular || user.status == FileReadStatus::IoError)
        return false;
    const Json::Value defaults = ReadJsonFile(m_defaultFile);
    if (!defaults.isObject())
        return false;
    if (user.status != FileReadStatus::Missing && KeepCorruptFile(m_userFile).empty())
        return false;
    return WriteJsonFile(m_userFile, defaults);
}

StandardColors CPaletteFile::LoadStandardColors() const {
    const Json::Value doc = ReadJsonFile(m_userFile);
    const Json::Value& root = Member(doc, kRoot);
    StandardColors result;
    const Json::Value& list = Member(root, kStandard);
    for (int i = 0; i < kPaletteSize; ++i)
        result.colors[static_cast<std::size_t>(i)] = ParseColor(Member(Element(list, i), "color"));
    const Json::Value& select = Member(root, kStandardSelect);
    if (select.isIntegral()) {
        const std::int64_t item = json::ToInt64(select);
        if (item >= 0 && item < kPaletteSize)
            result.selectItem = static_cast<int>(item);
    }
    return result;
}

bool CPaletteFile::SaveStandardColors(const std::array<std::uint32_t, kPaletteSize>& colors,
                                      int selectItem) {
    Json::Value doc = ReadBase(m_userFile);
    Json::Value& root = WritableMember(doc, kRoot);
    Json::Value& list = WritableMember(root, kStandard);
    for (int i = 0; i < kPaletteSize; ++i)
        WritableMember(WritableElement(list, static_cast<Json::ArrayIndex>(i)), "color") =
            ToHex8(colors[static_cast<std::size_t>(i)]);
    root[kStandardSelect] = selectItem;
    return WriteJsonFile(m_userFile, doc);
}

SavedColors CPaletteFile::LoadSavedColors() const {
    const Json::Value doc = ReadJsonFile(m_userFile);
    const Json::Value& list = Member(Member(doc, kRoot), kSaved);
    SavedColors result;
    for (int i = 0; i < kPaletteSize; ++i) {
        const Json::Value& e = Element(list, i);
        const std::optional<std::uint32_t> color = ParseColor(Member(e, "color"));
        if (!color)
            continue; // a slot without a colour stays white and empty
        SavedColorSlot& slot = result.colors[static_cast<std::size_t>(i)];
        slot.userData = json::ToText(Member(e, "UserData"));
        slot.color = slot.IsSaved() ? *color : kPaletteWhite;
    }
    result.selectItem = -1;
    return result;
}

bool CPaletteFile::SaveSavedColors(const SavedColors& saved) {
    Json::Value doc = ReadBase(m_userFile);
    Json::Value& root = WritableMember(doc, kRoot);
    Json::Value& list = WritableMember(root, kSaved);
    for (int i = 0; i < kPaletteSize; ++i) {
        const SavedColorSlot& slot = saved.colors[static_cast<std::size_t>(i)];
        Json::Value& e = WritableElement(list, static_cast<Json::ArrayIndex>(i));
        WritableMember(e, "color") = ToHex8(slot.ShownColor());
        WritableMember(e, "UserData") = slot.userData;
    }
    root[kSavedSelect] = saved.selectItem;
    return WriteJsonFile(m_userFile, doc);
}

} // namespace vpc::data
