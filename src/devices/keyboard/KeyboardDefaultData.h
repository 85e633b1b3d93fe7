// The lists the keyboard loads from its data files (`LoadDefaultData`): the macro names of
// "macro.config", the lighting mode names, visibility and device values and the area names
// of "default_light.json", and the custom lighting names of "zemra_light.config".
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vpc::devices::keyboard {

struct KeyboardDefaultData {
    std::vector<std::string> macroNames; // UTF-8
    std::vector<std::string> modeNames;
    std::vector<std::uint8_t> modeVisible;
    std::vector<int> modeValues;
    std::vector<std::string> areaNames;
    std::vector<std::string> customLightNames;
};

// Reads the three files into data. A missing or unreadable file, or a missing element for
// lightType, leaves the lists it would fill as they were (the macro names are emptied first).
void LoadKeyboardDefaultData(KeyboardDefaultData& data, const std::filesystem::path& userFolder,
                             const std::filesystem::path& defaultFolder, int lightType,
                             const std::string& lightingFileBase);

// Number of macros in the user folder's "macro.config" (0 when it cannot be read).
int CountMacros(const std::filesystem::path& userFolder);

} // namespace vpc::devices::keyboard
