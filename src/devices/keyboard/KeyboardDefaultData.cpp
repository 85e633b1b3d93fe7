#include "KeyboardDefaultData.h"

#include "JsonAccess.h"
#include "JsonFile.h"

#include <algorithm>

namespace vpc::devices::keyboard {

namespace json = data::json;

namespace {

// Lists read from files are limited to what the program can show.
constexpr Json::ArrayIndex kMaxNames = 1024;

std::vector<std::string> NamesOf(const Json::Value& array, const char* key) {
    std::vector<std::string> names;
    const Json::ArrayIndex count = std::min(json::ArraySize(array), kMaxNames);
    for (Json::ArrayIndex i = 0; i < count; ++i)
        names.push_back(json::ToText(json::Member(json::Element(array, i), key)));
    return names;
}

} // namespace

void LoadKeyboardDefaultData(KeyboardDefaultData& data, const std::filesystem::path& userFolder,
                             const std::filesystem::path& defaultFolder, int lightType,
                             const std::string& lightingFileBase) {
    data.macroNames.clear();
    if (!userFolder.empty()) {
        const Json::Value macros = data::ReadJsonFile(userFolder / "macro.config");
        data.macroNames = NamesOf(json::Member(macros, "MacroInfo"), "MacroName");
    }

    const Json::Value light = data::ReadJsonFile(defaultFolder / "default_light.json");
    const Json::Value& modes = json::Element(json::Member(light, "DefaultLightName"), lightType);
    if (modes.isArray()) {
        data.modeNames.clear();
        data.modeVisible.clear();
        data.modeValues.clear();
        const Json::ArrayIndex count = std::min(json::ArraySize(modes), kMaxNames);
        for (Json::ArrayIndex i = 0; i < count; ++i) {
            const Json::Value& mode = json::Element(modes, i);
            data.modeNames.push_back(json::ToText(json::Member(mode, "LightName")));
            data.modeVisible.push_back(json::ToBool(json::Member(mode, "visible")) ? 1 : 0);
            data.modeValues.push_back(static_cast<int>(json::ToInt32(json::Member(mode, "value"))));
        }
    }
    const Json::Value& areas = json::Element(json::Member(light, "AreaLightName"), lightType);
    if (areas.isArray())
        data.areaNames = NamesOf(areas, "LightName");

    if (!userFolder.empty() && !lightingFileBase.empty()) {
        const Json::Value custom = data::ReadJsonFile(userFolder / (lightingFileBase + ".config"));
        const Json::Value& effects = json::Element(json::Member(custom, "LightInfo"), lightType);
        if (effects.isArray())
            data.customLightNames = NamesOf(effects, "LightName");
    }
}

int CountMacros(const std::filesystem::path& userFolder) {
    if (userFolder.empty())
        return 0;
    const Json::Value macros = data::ReadJsonFile(userFolder / "macro.config");
    return static_cast<int>(json::ArraySize(json::Member(macros, "MacroInfo")));
}

} // namespace vpc::devices::keyboard
