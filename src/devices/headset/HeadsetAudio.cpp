#include "HeadsetAudio.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace vpc::devices::headset {

namespace {

constexpr int kMaxVolume = 100;
constexpr int kEqTypeOff = 0;

// The decimal (or fractional) number at the start of a property's text.
std::optional<double> ParseNumber(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(begin, &end);
    if (end == begin || errno == ERANGE || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int VolumeOf(double scalar) {
    return std::clamp(static_cast<int>(std::lround(scalar * kMaxVolume)), 0, kMaxVolume);
}

data::EqValues ToEqValues(const std::vector<std::int32_t>& bands) {
    data::EqValues values{};
    std::copy_n(bands.begin(), std::min(bands.size(), values.size()), values.begin());
    return values;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

} // namespace

const std::array<data::EqValues, data::kEqPresetCount>& EqPresetTable() {
    static const std::array<data::EqValues, data::kEqPresetCount> table = {{
        {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
        {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
        {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},
        {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
        {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},
        {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
        {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},
        {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
        {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},
        {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
    }};
    return table;
}

CHeadsetAudio::CHeadsetAudio(IAudioChip& chip, data::CHs6533Profiledata& profile,
                             std::function<void()> save)
    : m_chip(chip), m_profile(profile), m_save(std::move(save)) {}

// --- connecting ------------------------------------------------------------------------------

bool CHeadsetAudio::Connect() {
    m_problems.clear();
    if (!m_chip.Init()) {
        m_problems.push_back("ConfLibInit called failed!");
        m_connected = false;
        return false;
    }
    if (m_chip.Devices(AudioFlow::Playback).empty()) {
        m_problems.push_back("no playback device of the headset");
        m_connected = false;
        return false;
    }
    FindAudioDevices();
    m_connected = true;
    InitAudioProperties();
    ReadAudioState();
    return true;
}

void CHeadsetAudio::FindAudioDevices() {
    m_playback = {};
    m_capture = {};
    const std::vector<AudioDeviceRecord> outputs = m_chip.Devices(AudioFlow::Playback);
    // headphones first, then the other kinds the chip reports for a headset
    for (const std::uint32_t kind : {1u, 12u, 7u, 4u}) {
        const auto found = std::find_if(outputs.begin(), outputs.end(), [kind](const auto& d) {
            return d.Kind() == kind && d.State() == 1;
        });
        if (found != outputs.end()) {
            m_playback = *found;
            break;
        }
    }
    for (const AudioDeviceRecord& device : m_chip.Devices(AudioFlow::Capture))
        if (device.Kind() == 2) {
            m_capture = device;
            break;
        }
    ReadSupportFeatures(m_capture);
    ReadSupportFeatures(m_playback);
}

void CHeadsetAudio::ReadSupportFeatures(AudioDeviceRecord& device) {
    if (device.Kind() < 1)
        return;
    const auto text = m_chip.ReadProperty(device, "GetSupportFeature", std::nullopt);
    if (!text)
        return;
    std::vector<std::uint32_t> fields;
    std::size_t start = 0;
    while (start <= text->size()) {
        const std::size_t comma = std::min(text->find(',', start), text->size());
        fields.push_back(static_cast<std::uint32_t>(
            std::strtoul(text->substr(start, comma - start).c_str(), nullptr, 10)));
        start = comma + 1;
    }
    if (fields.size() < 7) {
        m_problems.push_back("UpdateAPOAvailable failed!");
        return;
    }
    device.features = {fields[0], fields[4], fields[6]};
}

bool CHeadsetAudio::MagicVoiceSupported() const {
    return (m_capture.features[0] & kFeatureMagicVoice) != 0;
}

void CHeadsetAudio::DefineProperty(const AudioDeviceRecord& device, const char* name,
                                   std::optional<int> channel) {
    if (!m_chip.ReadProperty(device, name, channel))
        m_chip.WriteProperty(device, name, std::int32_t{0}, channel);
}

void CHeadsetAudio::InitAudioProperties() {
    DefineProperty(m_playback, "VirtualSurroundEffectControl", 4);
    DefineProperty(m_capture, "Enable_ENC_LFX");
    DefineProperty(m_capture, "VolumeControl", -1);
    DefineProperty(m_playback, "Enable_EQ_GFX");
    for (int band = 1; band <= data::kEqBandCount; ++band)
        DefineProperty(m_playback, ("EQ_Slider" + std::to_string(band)).c_str());
    for (const char* name : {"Enable_RFX_GFX", "RFX_ENVIRONMENT", "RFX_ROOMSIZE"})
        DefineProperty(m_playback, name);
    DefineProperty(m_capture, "MuteControl");
    DefineProperty(m_capture, "VolumeScalarControl", -1);
    DefineProperty(m_capture, "AAVolumeControl", 0);
    DefineProperty(m_capture, "AAMuteControl");
    DefineProperty(m_capture, "AAVolumeScalarControl", 0);
    DefineProperty(m_capture, "Enable_MAGICVOICE");
    DefineProperty(m_capture, "MagicVoice_Selection");
}

std::optional<double> CHeadsetAudio::ReadNumber(const AudioDeviceRecord& device, const char* name,
                                                std::optional<int> channel) {
    const auto text = m_chip.ReadProperty(device, name, channel);
    return text ? ParseNumber(*text) : std::nullopt;
}

bool CHeadsetAudio::Write(const AudioDeviceRecord& device, const char* name,
                          AudioPropertyValue value, std::optional<int> channel) {
    return m_connected && m_chip.WriteProperty(device, name, value, channel);
}

// --- state -----------------------------------------------------------------------------------

void CHeadsetAudio::LoadFromProfile() {
    m_settings = m_profile.GetSystemSetStages();
    m_names = m_profile.GetCustomEqNames();
    const int selected = m_settings.customEqSeletIndex;
    m_selectedCustom = selected >= 0 && selected < static_cast<int>(m_names.size()) ? selected : -1;
    if (m_settings.eqType == data::kEqTypeCustom)
        m_eq = m_selectedCustom >= 0 ? ToEqValues(m_profile.GetCustomEqValues(m_selectedCustom))
                                     : data::EqValues{};
    else
        m_eq = ToEqValues(m_profile.GetEqValues(m_settings.eqType));
}

void CHeadsetAudio::ReadAudioState() {
    if (!m_connected)
        return;
    if (const auto muted = ReadNumber(m_capture, "MuteControl")) {
        m_micMuted = *muted != 0;
        m_settings.micInSelect = m_micMuted ? 0 : 1;
    }
    if (const auto scalar = ReadNumber(m_capture, "VolumeScalarControl", -1))
        m_settings.micInValue = VolumeOf(*scalar);
    if (m_chip.ReadProperty(m_capture, "GetAAMaxVol", std::nullopt)) {
        if (const auto muted = ReadNumber(m_capture, "AAMuteControl")) {
            m_monitorMuted = *muted != 0;
            m_settings.micMoniterSelect = m_monitorMuted ? 0 : 1;
        }
        if (const auto scalar = ReadNumber(m_capture, "AAVolumeScalarControl", 0))
            m_settings.micMoniterValue = VolumeOf(*scalar);
    }
    if (MagicVoiceSupported())
        if (const auto on = ReadNumber(m_capture, "Enable_MAGICVOICE"))
            m_settings.magicEnable = *on != 0 ? 1 : 0;
    if (const auto type = ReadNumber(m_capture, "MagicVoice_Selection"))
        if (*type >= 0 && *type <= 3)
            m_settings.magicType = static_cast<int>(*type) + 1;
}

void CHeadsetAudio::RefreshView() {
    if (!m_view)
        return;
    m_view->ShowMagicSupported(MagicVoiceSupported());
    m_view->ShowMagicEnabled(m_settings.magicEnable != 0 && MagicVoiceSupported());
    m_view->ShowMagicType(m_settings.magicType);
    m_view->ShowMicIn(m_settings.micInSelect != 0);
    m_view->ShowMicInValue(m_settings.micInValue);
    m_view->ShowMonitor(m_settings.micMoniterSelect != 0);
    m_view->ShowMonitorValue(m_settings.micMoniterValue);
    m_view->ShowEqType(m_settings.eqType);
    m_view->ShowCustomEqNames(m_names, m_selectedCustom);
    m_view->EnableCustomEq(m_settings.eqType == data::kEqTypeCustom);
    for (int band = 0; band < data::kEqBandCount; ++band)
        m_view->SetBandValue(band, m_eq[static_cast<std::size_t>(band)]);
}

void CHeadsetAudio::Save() {
    m_profile.SetSystemSetStages(m_settings);
    if (m_save)
        m_save();
}

// --- voice changer, microphone and monitor ---------------------------------------------------

bool CHeadsetAudio::ToggleMagicVoice(bool on) {
    const bool was = m_settings.magicEnable != 0;
    if (!MagicVoiceSupported() || !Write(m_capture, "Enable_MAGICVOICE", std::int32_t{on})) {
        if (m_view)
            m_view->ShowMagicEnabled(was && MagicVoiceSupported());
        return false;
    }
    if (on)
        Write(m_capture, "Enable_MICECHO", std::int32_t{0});
    m_settings.magicEnable = on ? 1 : 0;
    if (m_view)
        m_view->ShowMagicEnabled(on);
    Save();
    return true;
}

bool CHeadsetAudio::SetMagicVoiceType(int type) {
    if (type < 1 || type > 4)
        return false;
    if (!Write(m_capture, "MagicVoice_Selection", std::int32_t{type - 1})) {
        if (m_view)
            m_view->ShowMagicType(m_settings.magicType);
        return false;
    }
    m_settings.magicType = type;
    if (m_view)
        m_view->ShowMagicType(type);
    Save();
    return true;
}

bool CHeadsetAudio::ToggleMicMute() {
    const bool muted = !m_micMuted;
    if (!Write(m_capture, "MuteControl", std::int32_t{muted})) {
        if (m_view)
            m_view->ShowMicIn(!m_micMuted); // the switch goes back
        return false;
    }
    m_micMuted = muted;
    m_settings.micInSelect = muted ? 0 : 1;
    if (m_view)
        m_view->ShowMicIn(!muted);
    Save();
    return true;
}

bool CHeadsetAudio::ToggleMonitorMute() {
    const bool muted = !m_monitorMuted;
    if (!Write(m_capture, "AAMuteControl", std::int32_t{muted})) {
        if (m_view)
            m_view->ShowMonitor(!m_monitorMuted);
        return false;
    }
    m_monitorMuted = muted;
    m_settings.micMoniterSelect = muted ? 0 : 1;
    if (m_view)
        m_view->ShowMonitor(!muted);
    Save();
    return true;
}

bool CHeadsetAudio::SetMicVolume(int value) {
    const int volume = std::clamp(value, 0, kMaxVolume);
    if (!Write(m_capture, "VolumeScalarControl", static_cast<float>(volume) / kMaxVolume, -1)) {
        if (m_view)
            m_view->ShowMicInValue(m_settings.micInValue);
        return false;
    }
    m_chip.ReadProperty(m_capture, "VolumeControl", -1);
    m_settings.micInValue = volume;
    Save();
    return true;
}

bool CHeadsetAudio::SetMonitorVolume(int value) {
    const int volume = std::clamp(value, 0, kMaxVolume);
    if (!Write(m_capture, "AAVolumeScalarControl", static_cast<float>(volume) / kMaxVolume, 0)) {
        if (m_view)
            m_view->ShowMonitorValue(m_settings.micMoniterValue);
        return false;
    }
    m_chip.ReadProperty(m_capture, "AAVolumeControl", 1);
    m_settings.micMoniterValue = volume;
    Save();
    return true;
}

// --- equaliser -------------------------------------------------------------------------------

void CHeadsetAudio::ApplyBands(const data::EqValues& values) {
    Write(m_playback, "Enable_EQ_GFX", std::int32_t{1});
    for (int band = 0; band < data::kEqBandCount; ++band) {
        const std::int32_t value = values[static_cast<std::size_t>(band)];
        if (m_view)
            m_view->SetBandValue(band, value);
        Write(m_playback, ("EQ_Slider" + std::to_string(band + 1)).c_str(), value);
    }
    m_chip.Flush();
    m_eq = values;
}

void CHeadsetAudio::ShowCustomArea() {
    if (!m_view)
        return;
    m_view->ShowEqType(m_settings.eqType);
    m_view->EnableCustomEq(m_settings.eqType == data::kEqTypeCustom);
}

void CHeadsetAudio::SetEqBand(int band, int value) {
    if (band < 0 || band >= data::kEqBandCount)
        return;
    if (m_settings.eqType != data::kEqTypeCustom) {
        // a band moved away from a preset: the sliders are a new custom setting, unsaved
        m_settings.eqType = data::kEqTypeCustom;
        m_selectedCustom = -1;
        ShowCustomArea();
        if (m_view)
            m_view->ShowCustomEqNames(m_names, -1);
    }
    Write(m_playback, ("EQ_Slider" + std::to_string(band + 1)).c_str(), std::int32_t{value});
    m_chip.Flush();
    m_eq[static_cast<std::size_t>(band)] = value;
}

void CHeadsetAudio::SelectEqPreset(int eqType) {
    if (eqType == data::kEqTypeCustom) {
        m_settings.eqType = eqType;
        ShowCustomArea();
        ApplyCustomEq(m_selectedCustom);
        Save();
        return;
    }
    if (eqType >= 1 && eqType <= data::kEqPresetCount) {
        const data::EqValues& values = EqPresetTable()[static_cast<std::size_t>(eqType - 1)];
        ApplyBands(values);
        m_settings.eqType = eqType;
        ShowCustomArea();
        m_profile.SetEqValues(eqType, values);
        Save();
        return;
    }
    // no equaliser
    Write(m_playback, "Enable_EQ_GFX", std::int32_t{0});
    for (int band = 0; band < data::kEqBandCount; ++band) {
        if (m_view)
            m_view->SetBandValue(band, 0);
        Write(m_playback, ("EQ_Slider" + std::to_string(band + 1)).c_str(), std::int32_t{0});
    }
    m_chip.Flush();
    m_eq = {};
    m_settings.eqType = eqType == kEqTypeOff ? kEqTypeOff : eqType;
    ShowCustomArea();
    Save();
}

void CHeadsetAudio::ApplyCustomEq(int selection) {
    if (selection < 0 || selection >= static_cast<int>(m_names.size()))
        return;
    ApplyBands(ToEqValues(m_profile.GetCustomEqValues(selection)));
    m_selectedCustom = selection;
    m_settings.customEqSeletIndex = selection;
    Save();
}

int CHeadsetAudio::SaveCustomEq(const std::string& name, const data::EqValues& sliders,
                                int selection) {
    if (name.empty()) {
        if (selection < 0 || selection >= static_cast<int>(m_names.size()))
            return -1;
        m_profile.SetCustomEqValues(selection, sliders);
        m_eq = sliders;
        m_selectedCustom = selection;
        m_settings.customEqSeletIndex = selection;
        Save();
        return 1;
    }
    if (m_names.size() >= static_cast<std::size_t>(data::kMaxCustomEqCount))
        return -1;
    for (const std::string& existing : m_names)
        if (SameNameIgnoringCase(existing, name))
            return 0;
    m_names.push_back(name);
    const int index = static_cast<int>(m_names.size()) - 1;
    m_selectedCustom = index;
    if (m_view)
        m_view->ShowCustomEqNames(m_names, index);
    m_profile.SetCustomEqNames(m_names);
    m_profile.SetCustomEqValues(index, sliders);
    m_eq = sliders;
    m_settings.customEqSeletIndex = index;
    Save();
    return 1;
}

void CHeadsetAudio::DeleteCustomEq(int selection) {
    const int count = static_cast<int>(m_names.size());
    if (selection < 0 || selection >= count)
        return;
    // the values move up with their names, so every name keeps its own bands
    for (int i = selection; i + 1 < count; ++i)
        m_profile.SetCustomEqValues(i, ToEqValues(m_profile.GetCustomEqValues(i + 1)));
    m_names.erase(m_names.begin() + selection);
    m_profile.SetCustomEqNames(m_names);
    if (m_names.empty()) {
        // nothing custom is left: the first preset, on the sliders and in the headset
        m_selectedCustom = -1;
        m_settings.eqType = 1;
        m_settings.customEqSeletIndex = 0;
        ApplyBands(ToEqValues(m_profile.GetEqValues(1)));
        ShowCustomArea();
        if (m_view)
            m_view->ShowCustomEqNames(m_names, -1);
    } else {
        m_selectedCustom = 0;
        m_settings.customEqSeletIndex = 0;
        if (m_view)
            m_view->ShowCustomEqNames(m_names, 0);
        ApplyBands(ToEqValues(m_profile.GetCustomEqValues(0)));
    }
    Save();
}

} // namespace vpc::devices::headset
