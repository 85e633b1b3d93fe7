// The interface language: the language list "Language.config", the stored choice in the
// user's settings file, and the font face and font set that go with a language.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vpc::data {

inline constexpr char kLanguageConfigName[] = "Language.config";
// The user's settings file in the user data root; member "LANGUAGE" holds the Language_ID.
inline constexpr char kSettingsFileName[] = "settings.json";
// The value the stored language id starts from when there is none.
inline constexpr int kNoStoredLanguageId = 520;
// At most this many languages are taken from "Language.config".
inline constexpr int kMaxLanguages = 64;

// One element of "Language" in "Language.config".
struct LanguageEntry {
    int id = 0;         // "Language_ID"
    std::string name;   // "Language_name"
    std::string file;   // "Language_file", relative to the skin folder
    std::string textId; // "Language_text": caption of the entry in the language list
    bool operator==(const LanguageEntry&) const = default;
};

// The languages in list order; empty when the file is missing or damaged.
std::vector<LanguageEntry> ReadLanguageList(const std::filesystem::path& languageConfig);

// One font of the main window's font set; every face of the set is the language's face.
struct LanguageFont {
    int id; // -1 for the default font
    int pixelSize;
    bool bold;
    bool underline;
};

// The fonts rebuilt with a new face when the language changes.
const std::array<LanguageFont, 14>& LanguageFontSet();

// The face for a change from language `currentIndex` (-1 at start) to `newIndex`: index 15
// "Noto Sans Thai", 0 "汉仪菱心体简", 2 "Noto Sans CJK TC Regular"; another index gets
// "Verdana Unicode MS" when coming from 15, -1, 2 or 0, and no change otherwise.
std::optional<std::string> ChooseFontFace(int newIndex, int currentIndex);

// What SetLanguage decided; the main window applies it (fonts, language file, redraw).
struct LanguageChange {
    bool changed = false;                // false: the language was already current
    std::optional<std::string> fontFace; // rebuild the font set with this face
    std::optional<LanguageEntry> entry;  // the list entry, when the list has it
    bool stored = false;                 // the id reached the settings file
};

class CLanguageSettings {
public:
    CLanguageSettings(std::filesystem::path languageConfig, std::filesystem::path settingsFile);
    // Language.config in the default data folder, settings.json in the user data root.
    static CLanguageSettings FromDataFolders();

    // The position in the language list of the stored id (0 when none matches). A missing
    // settings file is created with the id of that language, so the choice is kept.
    int GetStoredLanguageIndex();

    // Writes the id to the settings file, keeping its other members.
    bool StoreLanguageId(int id);

    LanguageChange SetLanguage(int index);
    int GetCurrentIndex() const { return m_currentIndex; }

private:
    std::filesystem::path m_languageConfig;
    std::filesystem::path m_settingsFile;
    int m_currentIndex = -1;
};

} // namespace vpc::data
