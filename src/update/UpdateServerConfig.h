// Where the update server is and how it knows our targets: read from the configuration file
// installed with the program (or the one named by $VPC_UPDATE_SERVER_CONFIG).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include <json/value.h>

namespace vpc::update {

inline constexpr char kUpdateServerConfigName[] = "UpdateServer.config";
inline constexpr char kUpdateServerConfigEnv[] = "VPC_UPDATE_SERVER_CONFIG";

struct UpdateTargetRegistration {
    std::int32_t flag = 0;
    std::string kindCode;
};

struct UpdateServerConfig {
    std::string apiBase; // an http or https URL ending in "/api/"
    std::string brand;
    std::array<UpdateTargetRegistration, 4> targets;
    std::string caFile; // authorities to trust instead of the system's store (tests)
    std::string error;  // why the file was refused; empty when it is usable
    bool ok() const { return error.empty(); }
};

// Checks a parsed configuration: the base URL's scheme and ending, a brand and kind codes of
// upper-case letters, digits and underscores, four targets.
UpdateServerConfig ParseUpdateServerConfig(const Json::Value& document);

// $VPC_UPDATE_SERVER_CONFIG when set, else "UpdateServer.config" in the default data folder.
std::filesystem::path UpdateServerConfigPath();
UpdateServerConfig LoadUpdateServerConfig();

} // namespace vpc::update
