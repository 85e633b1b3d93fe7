// The colour palette file "color_option_info.config": 20 standard colours with the selected
// one and 20 saved colour slots with the selected slot, in the user data root.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vpc::data {

inline constexpr char kPaletteFileName[] = "color_option_info.config";
inline constexpr int kPaletteSize = 20;
inline constexpr std::uint32_t kPaletteWhite = 0xFFFFFFFF;

// Standard colours as the file holds them (alpha, red, green, blue). A colour that is
// missing or not valid hex is empty: the window keeps the skin's colour for it.
struct StandardColors {
    std::array<std::optional<std::uint32_t>, kPaletteSize> colors;
    std::optional<int> selectItem; // "palletDialogcoloroption_selectitem", 0-19
};

// One saved colour slot; userData "1" marks a slot that holds a saved colour.
struct SavedColorSlot {
    std::uint32_t color = kPaletteWhite;
    std::string userData;
    bool IsSaved() const { return userData == "1"; }
    // What the slot shows: its colour when saved, white otherwise.
    std::uint32_t ShownColor() const { return IsSaved() ? color : kPaletteWhite; }
    bool operator==(const SavedColorSlot&) const = default;
};

struct SavedColors {
    std::array<SavedColorSlot, kPaletteSize> colors;
    int selectItem = -1; // "palletDialogcollectcoloroption_selectitem", -1 for none
};

class CPaletteFile {
public:
    CPaletteFile(std::filesystem::path userFile, std::filesystem::path defaultFile);
    // The user data root's and the default data folder's files.
    static CPaletteFile FromDataFolders();

    // Makes sure the user file exists: a missing or damaged one is replaced by a copy of
    // the default file (a damaged one is kept beside it first). False when neither exists
    // or the copy cannot be written.
    bool OpenPaletteFile();

    StandardColors LoadStandardColors() const;
    bool SaveStandardColors(const std::array<std::uint32_t, kPaletteSize>& colors, int selectItem);

    // The saved slots; the selection always starts as -1 (none) when the window opens.
    SavedColors LoadSavedColors() const;
    bool SaveSavedColors(const SavedColors& saved);

    const std::filesystem::path& GetUserFile() const { return m_userFile; }

private:
    std::filesystem::path m_userFile;
    std::filesystem::path m_defaultFile;
};

} // namespace vpc::data
