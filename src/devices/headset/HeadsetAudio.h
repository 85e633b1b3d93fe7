// The headset's audio settings: equaliser presets and custom equalisers, microphone and
// monitor volume and mute, and the voice changer, kept in the profile and set on the chip.
#pragma once

#include "AudioChip.h"

#include "CHs6533Profiledata.h"
#include "ProfileRecords.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace vpc::devices::headset {

// Band values of equaliser presets 1-12, bands 1 to 10.
const std::array<data::EqValues, data::kEqPresetCount>& EqPresetTable();

// What the headset's two panels show. The device hands its panels in; tests a record.
class IHeadsetAudioView {
public:
    virtual ~IHeadsetAudioView() = default;
    virtual void ShowMagicSupported(bool supported) = 0;
    virtual void ShowMagicEnabled(bool on) = 0;
    virtual void ShowMagicType(int type) = 0;
    virtual void ShowMicIn(bool on) = 0;
    virtual void ShowMicInValue(int value) = 0;
    virtual void ShowMonitor(bool on) = 0;
    virtual void ShowMonitorValue(int value) = 0;
    virtual void ShowEqType(int eqType) = 0;
    virtual void EnableCustomEq(bool on) = 0;
    virtual void SetBandValue(int band, int value) = 0; // band 0-9
    // Refills the custom name list, selects `selected` (-1: none) and empties the name box.
    virtual void ShowCustomEqNames(const std::vector<std::string>& names, int selected) = 0;
};

class CHeadsetAudio {
public:
    // `save` writes the profile file; it is called after every change that the profile keeps.
    CHeadsetAudio(IAudioChip& chip, data::CHs6533Profiledata& profile, std::function<void()> save);

    void SetView(IHeadsetAudioView* view) { m_view = view; }

    // Brings the chip up, finds the headset's playback and capture devices, gives every
    // property a defined value and reads the state. False when the chip cannot be used;
    // Problems() then says why (each to be told to the user once).
    bool Connect();
    bool IsConnected() const { return m_connected; }
    const std::vector<std::string>& Problems() const { return m_problems; }
    const AudioDeviceRecord& PlaybackDevice() const { return m_playback; }
    const AudioDeviceRecord& CaptureDevice() const { return m_capture; }
    bool MagicVoiceSupported() const;

    // Settings, equaliser values and custom names from the profile.
    void LoadFromProfile();
    // Microphone and monitor mute and volume, and the voice changer, as the chip has them.
    void ReadAudioState();
    // Shows everything in the view.
    void RefreshView();

    // The panels' operations. Values from the panels are checked; nothing changes (and the
    // view shows the old state again) when the chip refuses a write.
    bool ToggleMagicVoice(bool on);
    bool SetMagicVoiceType(int type);
    bool ToggleMicMute();
    bool ToggleMonitorMute();
    bool SetMicVolume(int value);
    bool SetMonitorVolume(int value);
    void SetEqBand(int band, int value);
    void SelectEqPreset(int eqType);
    void ApplyCustomEq(int selection);
    // 1 saved, 0 the name exists already (in any case), -1 no room or nothing selected.
    int SaveCustomEq(const std::string& name, const data::EqValues& sliders, int selection);
    void DeleteCustomEq(int selection);

    const data::HeadsetSystemSetStages& Settings() const { return m_settings; }
    const data::EqValues& EqualiserValues() const { return m_eq; }
    const std::vector<std::string>& CustomNames() const { return m_names; }
    int SelectedCustom() const { return m_selectedCustom; }
    bool MicMuted() const { return m_micMuted; }
    bool MonitorMuted() const { return m_monitorMuted; }

private:
    void FindAudioDevices();
    void ReadSupportFeatures(AudioDeviceRecord& device);
    void InitAudioProperties();
    void DefineProperty(const AudioDeviceRecord& device, const char* name,
                        std::optional<int> channel = std::nullopt);
    std::optional<double> ReadNumber(const AudioDeviceRecord& device, const char* name,
                                     std::optional<int> channel = std::nullopt);
    bool Write(const AudioDeviceRecord& device, const char* name, AudioPropertyValue value,
               std::optional<int> channel = std::nullopt);
    // Equaliser on, the ten bands onto the chip and the sliders.
    void ApplyBands(const data::EqValues& values);
    void ShowCustomArea();
    void Save();

    IAudioChip& m_chip;
    data::CHs6533Profiledata& m_profile;
    std::function<void()> m_save;
    IHeadsetAudioView* m_view = nullptr;
    bool m_connected = false;
    std::vector<std::string> m_problems;
    AudioDeviceRecord m_playback;
    AudioDeviceRecord m_capture;
    data::HeadsetSystemSetStages m_settings;
    data::EqValues m_eq{};
    std::vector<std::string> m_names;
    int m_selectedCustom = -1;
    bool m_micMuted = false;
    bool m_monitorMuted = false;
};

} // namespace vpc::devices::headset
