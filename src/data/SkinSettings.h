// The skin settings file "main.ini" in the user data root: section "SKINIMAGE" with "FLAGS"
// (1 after a background image was chosen, 0 after a reset) and "IMAGE".
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vpc::data {

inline constexpr char kSkinFileName[] = "main.ini";
inline constexpr char kDefaultSkinImage[] = "common/background.png";

struct SkinImage {
    bool flag = false;
    std::string image;
    bool operator==(const SkinImage&) const = default;
};

// Writes FLAGS and IMAGE, keeping the file's other sections and keys. An image name with a
// line break, or longer than 1024 bytes, is refused (false).
bool WriteSkinImage(const std::filesystem::path& iniFile, bool flag, const std::string& image);

// The reset: FLAGS 0 and IMAGE "common/background.png".
bool ResetSkinImage(const std::filesystem::path& iniFile);

// The stored choice; empty when the file, the section or a key is missing or invalid.
std::optional<SkinImage> ReadSkinImage(const std::filesystem::path& iniFile);

// main.ini in the user data root (not created when missing).
std::filesystem::path GetSkinFilePath();

} // namespace vpc::data
