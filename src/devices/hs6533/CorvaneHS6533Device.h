// The device object of the 6533 headset: lights like a mouse pad (13 LEDs, sent as output
// reports), and drives the headset's audio (equaliser, microphone and monitor, voice changer)
// through an audio chip backend, with its two panels on the page.
#pragma once

#include "CorvaneMousePadDevice.h"

#include "AudioChip.h"
#include "HeadsetAudio.h"
#include "HeadsetLightFrame.h"

#include "CHs6533Profiledata.h"

#include <memory>

namespace vpc::devices {

class CCorvaneHS6533Device : public CCorvaneMousePadDevice {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "CorvaneHS6533Device";
    static constexpr const char* kHeadsetKeyLightArea = "hs6533_device_key_light";

    explicit CCorvaneHS6533Device(QWidget* parent = nullptr);
    ~CCorvaneHS6533Device() override;

    QString GetClass() const override { return QString::fromLatin1(kClassName); }

    void Init() override;
    void SendLightFrame() override;
    void OnDeviceArrived() override;
    void LoadProfile() override;
    void RefreshPanel() override;
    // The headset keeps its lighting in the profile: nothing is sent to its audio interface.
    int WriteOnboardProfile(int slot, int value, int flag, int width, int height) override;
    void StopWorkers() override;

    // Uses this chip instead of the one chosen by the device's path (tests).
    void UseAudioChip(std::unique_ptr<headset::IAudioChip> chip);
    headset::CHeadsetAudio* Audio() { return m_audio.get(); }
    headset::IAudioChip* AudioChip() { return m_chip.get(); }
    data::CHs6533Profiledata& HeadsetProfile();
    std::uint64_t LightFramesSent() const { return m_frames ? m_frames->FramesSent() : 0; }

    // --- the panels' operations, with the values of their controls ----------------------
    void ToggleMagicVoice(bool on);
    void SetMagicVoiceType(int type);
    void ToggleMicMute();
    void ToggleMonitorMute();
    void SetMicVolume(int value);
    void SetMonitorVolume(int value);
    void SetEqBand(int band, int value); // band 1-10
    void SelectEqPreset(int eqType);
    void ApplyCustomEq(int selection);
    // 1 saved, 0 the name exists, -1 no room or nothing to save.
    int SaveCustomEq(const QString& name, const data::EqValues& sliders, int selection);
    void DeleteCustomEq(int selection);

protected:
    QString KeyLightAreaName() const override { return QString::fromLatin1(kHeadsetKeyLightArea); }

private:
    void ConnectAudio();

    std::unique_ptr<headset::IAudioChip> m_chip;
    std::unique_ptr<headset::CHeadsetAudio> m_audio;
    std::unique_ptr<headset::IHeadsetAudioView> m_view;
    std::unique_ptr<headset::CHeadsetFrameSender> m_frames;
    bool m_problemsTold = false;
};

} // namespace vpc::devices
