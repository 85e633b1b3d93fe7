#include "SkinSettings.h"

#include "DataFolders.h"
#include "JsonFile.h"

#include <string_view>
#include <vector>

namespace vpc::data {

namespace {

constexpr std::string_view kSection = "SKINIMAGE";
constexpr std::size_t kMaxImageName = 1024;

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.emplace_back(text, start, end - start);
        start = end + 1;
    }
    return lines;
}

bool IsSection(std::string_view line, std::string_view* name) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return false;
    *name = Trim(line.substr(1, line.size() - 2));
    return true;
}

// "key=value" with the key compared without case, as profile-string files do.
bool KeyIs(std::string_view line, std::string_view key, std::string_view* value) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    const std::string_view name = Trim(line.substr(0, eq));
    if (name.size() != key.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) !=
            std::tolower(static_cast<unsigned char>(key[i])))
            return false;
    }
    *value = Trim(line.substr(eq + 1));
    return true;
}

bool SameName(std::string_view a, std::string_view b) {
    std::string_view dummy;
    return KeyIs(std::string(a) + "=", b, &dummy);
}

} // namespace

bool WriteSkinImage(const std::filesystem::path& iniFile, bool flag, const std::string& image) {
    if (image.size() > kMaxImageName || image.find_first_of("\r\n") != std::string::npos ||
        image.find('\0') != std::string::npos)
        return false;
    std::vector<std::string> lines = SplitLines(ReadFileText(iniFile));
    const std::string flagLine = std::string("FLAGS=") + (flag ? "1" : "0");
    const std::string imageLine = "IMAGE=" + image;

    // Drop the old FLAGS and IMAGE of the section and put the new ones right after its header.
    std::vector<std::string> out;
    bool inSection = false;
    bool written = false;
    for (const std::string& line : lines) {
        std::string_view name;
        std::string_view value;
        if (IsSection(line, &name)) {
            inSection = SameName(name, kSection);
            out.push_back(line);
            if (inSection && !written) {
                out.push_back(flagLine);
                out.push_back(imageLine);
                written = true;
            }
            continue;
        }
        if (inSection && (KeyIs(line, "FLAGS", &value) || KeyIs(line, "IMAGE", &value)))
            continue;
        out.push_back(line);
    }
    if (!written) {
        out.push_back("[" + std::string(kSection) + "]");
        out.push_back(flagLine);
        out.push_back(imageLine);
    }
    std::string text;
    for (const std::string& line : out)
        text += line + "\n";
    return WriteFileAtomic(iniFile, text);
}

bool ResetSkinImage(const std::filesystem::path& iniFile) {
    return WriteSkinImage(iniFile, false, kDefaultSkinImage);
}

std::optional<SkinImage> ReadSkinImage(const std::filesystem::path& iniFile) {
    const std::vector<std::string> lines = SplitLines(ReadFileText(iniFile));
    bool inSection = false;
    std::optional<bool> flag;
    std::optional<std::string> image;
    for (const std::string& line : lines) {
        std::string_view name;
        std::string_view value;
        if (IsSection(line, &name)) {
            inSection = SameName(name, kSection);
            continue;
        }
        if (!inSection)
            continue;
        if (KeyIs(line, "FLAGS", &value) && !flag) {
            if (value != "0" && value != "1")
                return std::nullopt;
            flag = value == "1";
        } else if (KeyIs(line, "IMAGE", &value) && !image) {
            if (value.size() > kMaxImageName)
                return std::nullopt;
            image = std::string(value);
        }
    }
    if (!flag || !image)
        return std::nullopt;
    return SkinImage{*flag, *image};
}

std::filesystem::path GetSkinFilePath() {
    return GetUserDataRoot(false) / kSkinFileName;
}

} // namespace vpc::data
