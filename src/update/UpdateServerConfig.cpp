#include "UpdateServerConfig.h"

#include <algorithm>
#include <cstdlib>

#include "DataFolders.h"
#include "JsonAccess.h"
#include "JsonFile.h"

namespace vpc::update {

namespace {

bool IsCode(const std::string& text) {
    return !text.empty() && text.size() <= 64 && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

UpdateServerConfig ParseUpdateServerConfig(const Json::Value& document) {
    namespace json = data::json;
    UpdateServerConfig config;
    config.apiBase = json::ToText(json::Member(document, "api_base"));
    config.brand = json::ToText(json::Member(document, "brand"));
    config.caFile = json::ToText(json::Member(document, "ca_file"));
    const Json::Value& targets = json::Member(document, "targets");
    if (!document.isObject()) {
        config.error = "the update server configuration is missing or not JSON";
        return config;
    }
    if (!(StartsWith(config.apiBase, "http://") || StartsWith(config.apiBase, "https://")) ||
        !EndsWith(config.apiBase, "/api/")) {
        config.error = "\"api_base\" is not an http or https URL ending in /api/";
        return config;
    }
    if (!IsCode(config.brand)) {
        config.error = "\"brand\" is not an upper-case word";
        return config;
    }
    if (json::ArraySize(targets) != config.targets.size()) {
        config.error = "\"targets\" does not list the four update targets";
        return config;
    }
    for (Json::ArrayIndex i = 0; i < config.targets.size(); ++i) {
        const Json::Value& target = json::Element(targets, i);
        config.targets[i].flag = json::ToInt32(json::Member(target, "flag"));
        config.targets[i].kindCode = json::ToText(json::Member(target, "kind_code"));
        if (!IsCode(config.targets[i].kindCode)) {
            config.error = "a target's \"kind_code\" is not an upper-case code";
            return config;
        }
    }
    return config;
}

std::filesystem::path UpdateServerConfigPath() {
    if (const char* env = std::getenv(kUpdateServerConfigEnv); env != nullptr && *env != '\0')
        return std::filesystem::path(env);
    return data::GetDefaultDataFolder() / kUpdateServerConfigName;
}

UpdateServerConfig LoadUpdateServerConfig() {
    return ParseUpdateServerConfig(data::ReadJsonFile(UpdateServerConfigPath()));
}

} // namespace vpc::update
