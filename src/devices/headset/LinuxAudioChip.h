// The headset's audio chip on Linux: microphone and monitor (sidetone) volume and mute on the
// headset card's ALSA mixer, the ten-band equaliser as a PipeWire filter on its playback path.
#pragma once

#include "AudioChip.h"
#include "EqualiserFilter.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vpc::devices::headset {

// One simple mixer element and what it can do.
struct MixerElementInfo {
    std::string name;
    bool captureVolume = false;
    bool captureSwitch = false;
    bool playbackVolume = false;
    bool playbackSwitch = false;
};

// Which elements carry the microphone (capture) and the monitor of the microphone in the
// ear (sidetone: a playback control of the microphone). Empty names: not there.
struct MixerControls {
    std::string microphone;
    std::string monitor;
};
MixerControls ChooseMixerControls(const std::vector<MixerElementInfo>& elements);

// The ALSA card number whose USB identity is vendor:product ("/proc/asound/cardN/usbid");
// -1 when none.
int FindUsbSoundCard(std::uint16_t vendorId, std::uint16_t productId,
                     const std::string& procRoot = "/proc/asound");

class CLinuxAudioChip : public IAudioChip {
public:
    CLinuxAudioChip(std::uint16_t vendorId, std::uint16_t productId,
                    std::unique_ptr<IEqualiserFilter> equaliser,
                    std::string procRoot = "/proc/asound");
    ~CLinuxAudioChip() override;
    CLinuxAudioChip(const CLinuxAudioChip&) = delete;
    CLinuxAudioChip& operator=(const CLinuxAudioChip&) = delete;

    bool Init() override;
    std::vector<AudioDeviceRecord> Devices(AudioFlow flow) override;
    std::optional<std::string> ReadProperty(const AudioDeviceRecord& device, std::string_view name,
                                            std::optional<int> channel) override;
    bool WriteProperty(const AudioDeviceRecord& device, std::string_view name,
                       AudioPropertyValue value, std::optional<int> channel) override;
    // Starts the equaliser filter the band writes since the last flush describe.
    void Flush() override;

    // Why the chip is not (fully) usable, each said once: no card, no mixer, no filter.
    const std::vector<std::string>& Problems() const { return m_problems; }

private:
    struct Mixer;
    enum class Side { Capture, Playback };
    std::optional<double> VolumeScalar(const std::string& element, Side side) const;
    bool SetVolumeScalar(const std::string& element, Side side, double scalar);
    std::optional<bool> Muted(const std::string& element, Side side) const;
    bool SetMuted(const std::string& element, Side side, bool muted);
    std::optional<long> VolumeRange(const std::string& element, Side side, bool maximum) const;
    void ApplyEqualiser();

    std::uint16_t m_vendorId;
    std::uint16_t m_productId;
    std::unique_ptr<IEqualiserFilter> m_equaliser;
    std::string m_procRoot;
    int m_card = -1;
    std::unique_ptr<Mixer> m_mixer;
    MixerControls m_controls;
    std::vector<std::string> m_problems;
    // properties with no control of their own, and the equaliser, as last written
    std::map<std::string, std::string> m_kept;
    bool m_equaliserOn = false;
    bool m_equaliserChanged = false;
    data::EqValues m_bands{};
};

} // namespace vpc::devices::headset
