// The device object of lit mouse pads: keeps the pad's page (profiles, lighting) in step with
// the profile, animates its 15 LEDs with the pad's own effects, reads and writes the short
// onboard lighting record, and follows the pad's sync requests.
#pragma once

#include "CorvaneUSBDevice.h"
#include "PadLightEngine.h"

#include "CBasicProfiledata.h"
#include "KeyboardDefaultData.h"
#include "ProfileRecords.h"
#include "lighting/LightThread.h"
#include "lighting/TickSource.h"

#include <array>
#include <atomic>
#include <memory>

namespace vpc::devices {

class CCorvaneMousePadDevice : public CCorvaneUSBDevice {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "CorvaneMousePadDevice";
    static constexpr const char* kKeyLightArea = "mousepad_device_key_light";
    static constexpr const char* kLightingFileBase = "zemra_light";
    static constexpr const char* kFallbackProfileName = "Default";
    static constexpr std::size_t kMirrorSize = 21;   // bytes of the record the pad writes back
    static constexpr std::size_t kRecordSize = 64;   // bytes per onboard slot
    static constexpr UINT kUmPadSynchronised = 3328; // to the owner window, wParam the slot

    explicit CCorvaneMousePadDevice(QWidget* parent = nullptr);
    ~CCorvaneMousePadDevice() override;
    CCorvaneMousePadDevice(const CCorvaneMousePadDevice&) = delete;
    CCorvaneMousePadDevice& operator=(const CCorvaneMousePadDevice&) = delete;

    QString GetClass() const override { return QString::fromLatin1(kClassName); }

    // --- operations of the device base the pad replaces --------------------------------
    void Init() override;
    void ApplyLightSettings() override;
    bool LightFramesSettled() const override;
    void SendLightFrame() override;
    void OnDeviceArrived() override;
    void OnDeviceSync() override;
    void LoadProfile() override;
    void RefreshPanel() override;
    void ReloadProfile() override;
    // 1 when the record reached the pad.
    int WriteOnboardProfile(int slot, int value, int flag, int width, int height) override;
    void LoadDefaultData() override;
    void SetProfilePaths() override;
    QString GetProfileName() const override { return m_profileName; }
    void SaveProfile() override;
    void SetLightType(int value) override;
    void SetLightInfo(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2,
                      std::uint32_t w3) override;
    void StopWorkers() override;

    // --- operations the pad adds --------------------------------------------------------
    void InitPanel();
    data::LightInfo GetLightInfo() const { return m_lightInfo; }
    // The record's device mode value of a mode list position and back; a list too short
    // for the value keeps it as it is.
    std::uint8_t ModeValueOf(std::uint8_t position) const;
    std::uint8_t ModePositionOf(std::uint8_t value) const;

    const std::array<std::uint8_t, kMirrorSize>& Mirror() const { return m_mirror; }
    std::uint8_t OnboardSlot() const { return m_mirror[0]; }
    mousepad::PadLightEngine& LightEngine() { return m_engine; }
    std::uint16_t LastSyncCode() const { return m_lastSyncCode.load(); }
    data::CBasicProfiledata& ProfileData() { return *m_profile; }

public slots:
    void SwitchProfile(const QString& profileId);
    void ReloadResetProfile();

protected:
    // For devices that light like a pad (the headset): their own profile data, wave and LEDs.
    CCorvaneMousePadDevice(std::unique_ptr<data::CBasicProfiledata> profile,
                           mousepad::WaveStyle wave, int ledCount, QWidget* parent);
    void OnNotificationUsage(ConnectionLink link, std::uint16_t usage) override;
    // The container of the page whose buttons show the LEDs.
    virtual QString KeyLightAreaName() const { return QString::fromLatin1(kKeyLightArea); }
    // Reads the active slot's record into the mirror; false (mirror kept) when a read failed.
    bool ReadOnboardProfile();
    // Shows the lighting record on the lighting panel.
    void ShowLightOnPanel();

    std::array<std::uint8_t, kMirrorSize> m_mirror{};
    data::LightInfo m_lightInfo;

private:
    void TakeLighting(const data::LightInfo& info);

    std::unique_ptr<data::CBasicProfiledata> m_profile;
    keyboard::KeyboardDefaultData m_defaults;
    QString m_profileName;
    std::atomic<std::uint16_t> m_lastSyncCode{0};

    mousepad::PadLightEngine m_engine;
    std::atomic<std::uint64_t> m_shownFrameVersion{~std::uint64_t{0}};
};

} // namespace vpc::devices
