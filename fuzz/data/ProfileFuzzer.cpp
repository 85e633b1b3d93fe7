// libFuzzer target over the program's data files: each input is a profile file, read and
// repaired by Load, read by every typed getter of the four profile classes, written back,
// saved and read again; the same bytes also serve as light configuration, effect file,
// profile list, imported profile and settings files. Besides crashes it traps when a saved
// value does not read back the same, when the rest of a saved file is not kept, or when a
// replaced file was not kept aside.
#include "CBasicProfiledata.h"
#include "CHs6533Profiledata.h"
#include "CKeyboardProfiledata.h"
#include "CMouseProfiledata.h"
#include "JsonAccess.h"
#include "JsonFile.h"
#include "LanguageSettings.h"
#include "PaletteFile.h"
#include "ProfileList.h"
#include "SkinSettings.h"
#include "TextUtil.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace vpc::data;

// A small default profile: what Load takes when the input lacks its element.
constexpr std::string_view kDefaultProfile = R"({"Device":[{
    "LightInfo":{"SelectItem":1,"Light":4,"Speed":2,"MultiColor":1,"Red":255},
    "KeyList":[{"Assignment":2097193,"DefaultAssignment":2097193},
               {"Assignment":2097210,"DefaultAssignment":2097210}],
    "SystemStages":{"Repeat":30,"RepeatDelay":1}}]})";

// Files of the working folder that stay from one input to the next.
constexpr const char* kDefaultName = "default.Json";

// The working folder, on a memory file system when there is one (every input is written,
// repaired and saved there); removed when the fuzzer ends normally.
class FuzzFolder {
public:
    FuzzFolder() {
        std::string pattern = fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
        pattern += "/vpc-data-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        m_root = pattern;
    }
    ~FuzzFolder() {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;
    const fs::path& root() const { return m_root; }

private:
    fs::path m_root;
};

const FuzzFolder* g_folder = nullptr;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "data fuzzer: %s\n", what);
        std::abort();
    }
}

void WriteRaw(const fs::path& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    Check(fd >= 0, "cannot create an input file");
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        Check(n > 0, "cannot write an input file");
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

// Removes what the last input left behind: the files it was written to, files kept aside.
void Clean(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != kDefaultName) {
            std::error_code ec;
            fs::remove_all(entry.path(), ec);
        }
    }
}

// The choices an input makes besides its content, taken from a hash of its bytes so that
// every file (the shipped defaults too) is a complete input.
struct Choices {
    int recordIndex;
    int lightType;
    int group;
    int colorCount;
    int eqType;
    int customEq;
};

Choices Choose(std::string_view bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (const char c : bytes)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    // Mix, so that every bit below depends on every byte (the plain hash's low bit is only
    // the parity of the odd bytes).
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    Choices c{};
    c.recordIndex = (h & 1) ? 0 : static_cast<int>((h >> 1) & 3);
    c.lightType = static_cast<int>((h >> 3) & 3);
    c.group = static_cast<int>((h >> 5) & 31) - 8; // some outside 0-15
    c.colorCount = static_cast<int>((h >> 10) & 255);
    c.eqType = static_cast<int>((h >> 18) & 31) - 8; // -8..23
    c.customEq = static_cast<int>((h >> 23) & 7) - 2;
    return c;
}

bool IsValidUtf8(const std::string& text) {
    return WideToUtf8(Utf8ToWide(text)) == text;
}

// A document's text survives the program's write and read unchanged (no invalid UTF-8).
bool SurvivesWriting(const Json::Value& value) {
    const JsonReadResult again = ParseJsonText(ToStyledJson(value));
    return again.ok() && again.value == value;
}

template <typename Profile>
void Prepare(Profile& profile, const fs::path& folder, const Choices& choices) {
    profile.SetDefaultPath(folder / kDefaultName);
    profile.SetProfilePath(folder / "profile.Json");
    profile.SetRecordIndex(choices.recordIndex);
    profile.SetLightType(choices.lightType);
    profile.SetLightConfigPath(folder / "zemra_light.config");
}

// What the input's file held, to check that Load and Save keep it.
struct Original {
    std::string bytes;
    JsonReadResult read;
};

// After Load: the file is unchanged, or its element was added to a file that kept everything
// else, or the original bytes were kept aside.
void CheckNothingLost(const Original& original, const CBasicProfiledata& profile, int recordIndex) {
    const fs::path& path = profile.GetProfilePath();
    const ProfileLoadReport& report = profile.GetLastLoadReport();
    if (!report.written)
        return;
    if (!report.keptAs.empty()) {
        Check(ReadFileText(report.keptAs) == original.bytes.substr(0, original.bytes.find('\0')),
              "the damaged profile was not kept whole");
        return;
    }
    // Repaired in place: the original must have been an object whose other members and
    // elements are all still there.
    Check(original.read.ok() && original.read.value.isObject(), "a damaged profile was replaced");
    if (!SurvivesWriting(original.read.value))
        return;
    const Json::Value now = ReadJsonFile(path);
    for (const std::string& name : original.read.value.getMemberNames()) {
        if (name != "Device")
            Check(now[name] == original.read.value[name], "a member was lost by Load");
    }
    const Json::Value& devices = json::Member(original.read.value, "Device");
    for (Json::ArrayIndex i = 0; i < json::ArraySize(devices); ++i) {
        if (static_cast<int>(i) != recordIndex)
            Check(now["Device"][i] == devices[i], "another element was lost by Load");
    }
}

void FuzzKeyboard(const fs::path& folder, const Choices& c, const Original& original) {
    CKeyboardProfiledata profile;
    Prepare(profile, folder, c);
    profile.Load(profile.GetProfilePath());
    CheckNothingLost(original, profile, c.recordIndex);
    profile.LoadSecond(profile.GetProfilePath());
    profile.LoadLightConfig(profile.GetLightConfigPath());

    const LightInfo light = profile.GetLightInfo();
    const AudioLightInfo audio = profile.GetAudioLightInfo();
    profile.GetLightList();
    profile.GetEffectFrames();
    const std::vector<KeyEntry> keys = profile.GetKeyList();
    profile.GetSecondKeyList();
    const SystemStageWords stages = profile.GetSystemStages();
    const int groupIndex = profile.GetCustomGroupIndex();
    const std::vector<CustomColor> colors = profile.GetCustomColors(c.group, c.colorCount);

    // Write everything back, save, and read it again from the file.
    const Json::Value fileBefore = ReadJsonFile(profile.GetProfilePath());
    profile.SetLightInfo(light);
    profile.SetAudioLightInfo(audio);
    profile.SetKeyList(keys);
    profile.SetSystemStages(stages[0], stages[1], stages[2]);
    const bool groupWritten = profile.SetCustomColors(colors, c.group);
    profile.SetCustomGroupIndex(groupIndex);
    if (!profile.Save())
        return;

    CKeyboardProfiledata again;
    Prepare(again, folder, c);
    again.Load(again.GetProfilePath());
    Check(!again.GetLastLoadReport().fromDefault, "a saved profile did not load");
    Check(again.GetLightInfo() == light, "LightInfo changed on the way through the file");
    Check(again.GetAudioLightInfo() == audio, "AudioLightInfo changed");
    Check(again.GetSystemStages() == stages, "SystemStages changed");
    Check(again.GetCustomGroupIndex() == groupIndex, "CustomLightModeGroupIndex changed");
    if (groupWritten)
        Check(again.GetCustomColors(c.group, c.colorCount) == colors, "custom colours changed");
    const std::vector<KeyEntry> keysAgain = again.GetKeyList();
    Check(keysAgain.size() == keys.size(), "KeyList changed length");
    for (std::size_t i = 0; i < keys.size(); ++i) {
        Check(keysAgain[i].current == keys[i].current, "an Assignment changed");
        Check(keysAgain[i].defaults == keys[i].defaults, "a DefaultAssignment changed");
    }
    // Save keeps the file's other members and elements.
    if (fileBefore.isObject() && SurvivesWriting(fileBefore)) {
        const Json::Value fileAfter = ReadJsonFile(again.GetProfilePath());
        for (const std::string& name : fileBefore.getMemberNames()) {
            if (name != "Device")
                Check(fileAfter[name] == fileBefore[name], "a member was lost by Save");
        }
    }
}

void FuzzMouse(const fs::path& folder, const Choices& c) {
    CMouseProfiledata profile;
    Prepare(profile, folder, c);
    profile.Load(profile.GetProfilePath());
    profile.GetLightInfo();
    profile.GetLightList();
    profile.GetKeyList();
    const std::vector<DpiStage> stages = profile.GetDpiStages();
    const int active = profile.GetActiveStage();
    const SystemStageWords words = profile.GetSystemStages();
    profile.GetCorrectInfo();

    profile.SetDpiStages(stages);
    profile.SetActiveStage(active);
    profile.SetSystemStages(words[0], words[1], words[2]);
    if (!profile.Save())
        return;
    CMouseProfiledata again;
    Prepare(again, folder, c);
    again.Load(again.GetProfilePath());
    Check(again.GetDpiStages() == stages, "DPI stages changed on the way through the file");
    Check(again.GetActiveStage() == active, "the active stage changed");
    Check(again.GetSystemStages() == words, "mouse SystemStages changed");
}

void FuzzHeadset(const fs::path& folder, const Choices& c) {
    CHs6533Profiledata profile;
    Prepare(profile, folder, c);
    profile.Load(profile.GetProfilePath());
    const HeadsetSystemSetStages stages = profile.GetSystemSetStages();
    const std::vector<std::int32_t> eq = profile.GetEqValues(c.eqType);
    const std::vector<std::string> names = profile.GetCustomEqNames();
    const std::vector<std::int32_t> custom = profile.GetCustomEqValues(c.customEq);
    Check(eq.empty() ? c.eqType == kEqTypeCustom : eq.size() == kEqBandCount,
          "equaliser values of the wrong length");
    Check(custom.size() == kEqBandCount, "custom equaliser values of the wrong length");

    profile.SetSystemSetStages(stages);
    EqValues values{};
    std::copy(eq.begin(), eq.end(), values.begin());
    if (!eq.empty())
        profile.SetEqValues(c.eqType, values);
    profile.SetCustomEqNames(names);
    std::copy(custom.begin(), custom.end(), values.begin());
    const bool customWritten = c.customEq >= 0 && c.customEq < static_cast<int>(names.size()) &&
                               profile.SetCustomEqValues(c.customEq, values);
    if (!profile.Save())
        return;
    CHs6533Profiledata again;
    Prepare(again, folder, c);
    again.Load(again.GetProfilePath());
    Check(again.GetSystemSetStages() == stages, "SystemSetStages changed");
    if (!eq.empty())
        Check(again.GetEqValues(c.eqType) == eq, "equaliser values changed");
    if (customWritten)
        Check(again.GetCustomEqValues(c.customEq) == custom, "custom equaliser values changed");
    const std::vector<std::string> namesAgain = again.GetCustomEqNames();
    Check(namesAgain.size() == names.size(), "custom equaliser names changed in number");
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (IsValidUtf8(names[i]))
            Check(namesAgain[i] == names[i], "a custom equaliser name changed");
    }
}

// The input as a device's profile list, and as a profile file imported into it.
void FuzzProfileList(const fs::path& folder, std::string_view bytes, const fs::path& input) {
    const fs::path device = folder / "device";
    fs::create_directory(device);
    WriteRaw(device / kProfileListFileName, bytes);
    CProfileList list(device, folder / kDefaultName, 1);
    list.Load();
    Check(list.Count() >= 1, "a profile list without a profile");
    for (int i = 0; i < list.Count(); ++i)
        Check(IsProfileId(list.Entries()[static_cast<std::size_t>(i)].id),
              "a listed profile id that is not a time stamp");
    list.Import(input);
    list.Select(list.Count() - 1);
}

void FuzzSettingsFiles(const fs::path& folder, const fs::path& input) {
    ReadLanguageList(input);
    const CPaletteFile palette(input, folder / kDefaultName);
    palette.LoadStandardColors();
    palette.LoadSavedColors();
    ReadSkinImage(input);
    CLanguageSettings language(input, folder / "settings.json");
    language.GetStoredLanguageIndex();
    CLanguageSettings stored(folder / "Language.config", input);
    stored.GetStoredLanguageIndex();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const FuzzFolder folder;
    g_folder = &folder;
    WriteRaw(folder.root() / kDefaultName, kDefaultProfile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path& folder = g_folder->root();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Choices choices = Choose(bytes);

    Original original{std::string(bytes), ParseJsonText(bytes)};
    const fs::path profile = folder / "profile.Json";
    WriteRaw(profile, bytes);
    // The same bytes as the light configuration and as the effect files it may name.
    WriteRaw(folder / "zemra_light.config", bytes);
    WriteRaw(folder / "fx.light", bytes);
    FuzzKeyboard(folder, choices, original);

    WriteRaw(profile, bytes);
    FuzzMouse(folder, choices);
    WriteRaw(profile, bytes);
    FuzzHeadset(folder, choices);

    WriteRaw(profile, bytes);
    FuzzProfileList(folder, bytes, profile);
    FuzzSettingsFiles(folder, profile);
    Clean(folder);
    return 0;
}
