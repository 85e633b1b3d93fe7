#include "AudioChip.h"

#include <cstdio>

namespace vpc::devices::headset {

namespace {

constexpr int kNoChannel = 0x7FFFFFFF;

std::string ValueText(const AudioPropertyValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return std::to_string(*number);
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(std::get<float>(value)));
    return text;
}

} // namespace

CSimulatedAudioChip::CSimulatedAudioChip() {
    // an active headphone output and a microphone input, as a 6533 headset shows them
    AudioDeviceRecord out;
    out.words = {0x6533'0001u, 1u, 0u, 1u};
    AudioDeviceRecord in;
    in.words = {0x6533'0002u, 2u, 0u, 1u};
    playback.push_back(out);
    capture.push_back(in);
    Store(AudioFlow::Playback, "GetSupportFeature", "7,0,0,0,3,0,1");
    Store(AudioFlow::Capture, "GetSupportFeature", "131072,0,0,0,5,0,2"); // voice changer
    Store(AudioFlow::Capture, "GetAAMaxVol", "0");
    Store(AudioFlow::Capture, "MuteControl", "0");
    Store(AudioFlow::Capture, "VolumeScalarControl", "0.62", -1);
    Store(AudioFlow::Capture, "AAMuteControl", "1");
    Store(AudioFlow::Capture, "AAVolumeScalarControl", "0.37", 0);
    Store(AudioFlow::Capture, "Enable_MAGICVOICE", "0");
    Store(AudioFlow::Capture, "MagicVoice_Selection", "0");
}

std::vector<AudioDeviceRecord> CSimulatedAudioChip::Devices(AudioFlow flow) {
    return flow == AudioFlow::Playback ? playback : capture;
}

std::optional<AudioFlow> CSimulatedAudioChip::FlowOf(const AudioDeviceRecord& device) const {
    for (const AudioDeviceRecord& d : playback)
        if (d.words == device.words)
            return AudioFlow::Playback;
    for (const AudioDeviceRecord& d : capture)
        if (d.words == device.words)
            return AudioFlow::Capture;
    return std::nullopt;
}

CSimulatedAudioChip::Key CSimulatedAudioChip::MakeKey(AudioFlow flow, std::string_view name,
                                                      std::optional<int> channel) {
    return {static_cast<int>(flow), std::string(name), channel.value_or(kNoChannel)};
}

std::optional<std::string> CSimulatedAudioChip::ReadProperty(const AudioDeviceRecord& device,
                                                             std::string_view name,
                                                             std::optional<int> channel) {
    const auto flow = FlowOf(device);
    if (!flow || failingReads.count(std::string(name)) != 0)
        return std::nullopt;
    const auto found = m_values.find(MakeKey(*flow, name, channel));
    if (found == m_values.end())
        return std::nullopt;
    return found->second;
}

bool CSimulatedAudioChip::WriteProperty(const AudioDeviceRecord& device, std::string_view name,
                                        AudioPropertyValue value, std::optional<int> channel) {
    const auto flow = FlowOf(device);
    if (!flow || failingWrites.count(std::string(name)) != 0)
        return false;
    m_writes.push_back({*flow, std::string(name), value, channel});
    m_values[MakeKey(*flow, name, channel)] = ValueText(value);
    return true;
}

std::optional<std::string> CSimulatedAudioChip::Stored(AudioFlow flow, const std::string& name,
                                                       std::optional<int> channel) const {
    const auto found = m_values.find(MakeKey(flow, name, channel));
    if (found == m_values.end())
        return std::nullopt;
    return found->second;
}

void CSimulatedAudioChip::Store(AudioFlow flow, const std::string& name, const std::string& text,
                                std::optional<int> channel) {
    m_values[MakeKey(flow, name, channel)] = text;
}

} // namespace vpc::devices::headset
