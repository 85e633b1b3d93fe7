#include "LanguageSettings.h"

#include "DataFolders.h"
#include "DataLog.h"
#include "JsonAccess.h"
#include "JsonFile.h"

#include <limits>

namespace vpc::data {

using json::Member;

std::vector<LanguageEntry> ReadLanguageList(const std::filesystem::path& languageConfig) {
    const Json::Value doc = ReadJsonFile(languageConfig);
    const Json::Value& list = Member(doc, "Language");
    std::vector<LanguageEntry> languages;
    const auto count = std::min<Json::ArrayIndex>(json::ArraySize(list), kMaxLanguages);
    for (Json::ArrayIndex i = 0; i < count; ++i) {
        const Json::Value& e = list[i];
        languages.push_back(
            {json::ToInt32(Member(e, "Language_ID")), json::ToText(Member(e, "Language_name")),
             json::ToText(Member(e, "Language_file")), json::ToText(Member(e, "Language_text"))});
    }
    return languages;
}

const std::array<LanguageFont, 14>& LanguageFontSet() {
    static constexpr std::array<LanguageFont, 14> kFonts = {{
        {0, 15, false, false},
        {-1, 14, false, false},
        {1, 14, false, true},
        {2, 18, false, false},
        {3, 30, false, false},
        {4, 16, false, false},
        {5, 20, false, false},
        {6, 22, false, false},
        {7, 14, false, false},
        {8, 12, false, false},
        {9, 11, false, false},
        {10, 10, false, false},
        {11, 28, false, false},
        {50, 18, true, false},
    }};
    return kFonts;
}

std::optional<std::string> ChooseFontFace(int newIndex, int currentIndex) {
    switch (newIndex) {
    case 15:
        return "Noto Sans Thai";
    case 0:
        return "汉仪菱心体简";
    case 2:
        return "Noto Sans CJK TC Regular";
    default:
        break;
    }
    if (currentIndex == 15 || currentIndex == -1 || currentIndex == 2 || currentIndex == 0)
        return "Verdana Unicode MS";
    return std::nullopt;
}

CLanguageSettings::CLanguageSettings(std::filesystem::path languageConfig,
                                     std::filesystem::path settingsFile)
    : m_languageConfig(std::move(languageConfig)), m_settingsFile(std::move(settingsFile)) {}

CLanguageSettings CLanguageSettings::FromDataFolders() {
    return CLanguageSettings(GetDefaultDataFolder() / kLanguageConfigName,
                             GetUserDataRoot() / kSettingsFileName);
}

int CLanguageSettings::GetStoredLanguageIndex() {
    const JsonReadResult settings = ReadJsonFileEx(m_settingsFile);
    std::int64_t storedId = kNoStoredLanguageId;
    const Json::Value& value = Member(settings.value, "LANGUAGE");
    if (value.isIntegral())
        storedId = json::ToInt64(value);

    const std::vector<LanguageEntry> languages = ReadLanguageList(m_languageConfig);
    int index = 0;
    for (std::size_t i = 0; i < languages.size(); ++i) {
        if (languages[i].id == storedId) {
            index = static_cast<int>(i);
            break;
        }
    }
    // Create the settings file on first start, so the language in use is kept.
    const bool damaged = settings.status == FileReadStatus::ParseError ||
                         settings.status == FileReadStatus::TooLarge;
    if ((settings.status == FileReadStatus::Missing || damaged) && !languages.empty()) {
        if (damaged)
            KeepCorruptFile(m_settingsFile);
        StoreLanguageId(languages[static_cast<std::size_t>(index)].id);
    }
    return index;
}

bool CLanguageSettings::StoreLanguageId(int id) {
    const JsonReadResult read = ReadJsonFileEx(m_settingsFile);
    if (read.status == FileReadStatus::NotRegular)
        return false;
    Json::Value settings = read.value.isObject() ? read.value : Json::Value(Json::objectValue);
    settings["LANGUAGE"] = id;
    return WriteJsonFile(m_settingsFile, settings);
}

LanguageChange CLanguageSettings::SetLanguage(int index) {
    LanguageChange change;
    if (index == m_currentIndex)
        return change;
    change.changed = true;
    change.fontFace = ChooseFontFace(index, m_currentIndex);
    m_currentIndex = index;
    const std::vector<LanguageEntry> languages = ReadLanguageList(m_languageConfig);
    if (index >= 0 && static_cast<std::size_t>(index) < languages.size()) {
        change.entry = languages[static_cast<std::size_t>(index)];
        change.stored = StoreLanguageId(change.entry->id);
    } else {
        qCWarning(lcVpcData) << "language" << index << "is not in" << m_languageConfig.c_str();
    }
    return change;
}

} // namespace vpc::data
