// The device object of keyboards and keypads: reads the keyboard's memories when it connects
// or reports a change, writes the profile's key assignments, onboard settings and custom
// colours back, runs its lighting engine and keeps the keyboard's page in step.
#pragma once

#include "CorvaneUSBDevice.h"

#include "KeyIdentity.h"
#include "KeyboardDefaultData.h"
#include "KeyboardMemory.h"
#include "OnboardRecord.h"
#include "SyncCode.h"

#include "CKeyboardProfiledata.h"
#include "KeyAssignment.h"
#include "lighting/KeyboardLightEngine.h"
#include "lighting/LightThread.h"
#include "lighting/LiveFrameSender.h"
#include "lighting/TickSource.h"

#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace vpc::devices {

class CCorvaneKeyboardDevice : public CCorvaneUSBDevice {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "CorvaneKeyboardDevice";
    static constexpr const char* kKeyLightArea = "keyboard_device_key_light";
    static constexpr const char* kLightingFileBase = "zemra_light";
    static constexpr std::uint8_t kCustomColourMode = 19;
    // Profile used until the profile list names one.
    static constexpr const char* kFallbackProfileName = "Default";

    explicit CCorvaneKeyboardDevice(QWidget* parent = nullptr);
    ~CCorvaneKeyboardDevice() override;

    QString GetClass() const override { return QString::fromLatin1(kClassName); }

    // --- operations of the device base the keyboard replaces ---------------------------
    void Init() override;
    void ApplyLightSettings() override;
    void SendLightFrame() override;
    bool WantsLightFrames() const override;
    bool LightFramesSettled() const override;
    void SetLedColor(int index, lighting::LedColor color) override;
    lighting::LedColor GetLedColor(int index) const override;
    void OnDeviceArrived() override;
    void OnDeviceSync() override;
    void ReadDeviceStatus() override;
    bool CheckWirelessLink() override;
    void LoadProfile() override;
    void RefreshPanel() override;
    void ValidateMacroKeys() override;
    void ReloadProfile() override;
    std::vector<int> GetUsedMacros() const override;
    // keys: the current assignment code of each UI slot (type x 65536 + code1 x 256 + code2).
    int DownloadKeyAssignments(int slot, const std::vector<int>& keys) override;
    int DownloadCurrentKeyAssignments(int slot) override;
    int WriteOnboardProfile(int slot, int value, int flag, int width, int height) override;
    // Writes the macros of the list, in its order, as one image: 0 written (or nothing to
    // write), n >= 1 the image is n x 4 bytes too long for the keypad, a negative command
    // result when the keypad did not take it. A macro of 256 or more actions (see
    // MacroHalfCounts) writes nothing.
    int DownloadMacros(const std::vector<int>& macroIndexes) override;
    // Half the action count of every macro of the last image, in image order.
    const std::vector<int>& MacroHalfCounts() const { return m_macroHalfCounts; }
    void LoadDefaultData() override;
    void SetFunctionPage(int type) override;
    void SetProfilePaths() override;
    QString GetProfileName() const override { return m_profileName; }
    void SaveProfile() override;
    void SetLightType(int value) override;
    void SetLightInfo(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2,
                      std::uint32_t w3) override;
    void SetAudioLightInfo(int mode, int foreground, int background) override;
    void SelectKey(int index) override;
    void SetAudioLevels(const int* levels, int count) override;
    void SetScreenColors(const std::uint32_t* colours, int count) override;
    void RefreshLightModeList(bool wired) override;
    void StopWorkers() override;

    // --- operations the keyboard adds ---------------------------------------------------
    void InitPanel();
    data::LightInfo GetLightInfo() const { return m_lightInfo; }
    DeviceLightRecord CurrentLightRecord() const override;
    // A key event from the device: the UI key at that position, action 1 (down) or 2 (up).
    void OnDeviceKeyEvent(int position, int action);
    void OnKeyEvent(int key, int action);
    void SetCustomGroup(int group);
    // The lighting panel shows the device's whole lighting record.
    void ShowLightInfoOnPanel();
    void LoadCustomColors();
    void FillCustomColors(bool on);
    void SetCustomKeyColor(int light);
    // The key download with a key list (padded to every UI slot with the slots' defaults).
    int DownloadKeyList(int slot, const std::vector<data::KeyEntry>& keys);

    // --- plain operations ---------------------------------------------------------------
    void SetProfileName(const QString& name) { m_profileName = name; }
    void SetKeyAssignment(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2);
    // The captions of the keys of the picture from their assignments.
    void UpdateKeyCaptions();
    void SetKeyList(const std::vector<data::KeyEntry>& list);
    std::vector<data::KeyEntry> GetKeyList() const { return m_keys; }
    void SetSecondKeyList(const std::vector<data::KeyEntry>& list);
    void SetSystemSettings(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2);
    data::SystemStageWords GetSystemSettings() const { return m_system.ToWords(); }
    void ShowPollingRate(int option);
    void ShowWinLock(bool on);
    bool IsWinLockOn() const;
    void ShowWFlag(bool on);
    bool IsWFlagOn() const;
    void ShowKey6Flag(bool on);
    bool IsKey6FlagOn() const;
    void ShowRepeatRate(int value);
    int GetRepeatRate() const;
    void ShowRepeatDelay(int option);
    void ClearRepeatInput();
    void SetRepeatInputTip();
    // The user changed a system setting on the page: stored in the profile and saved; the
    // polling rate and the three flags, which the onboard record carries, are also written.
    enum class SystemFlag { WinLock, W, Key6 };
    void ChangePollingRate(int option);
    void ChangeSystemFlag(SystemFlag flag, bool on);
    void ChangeRepeatRate(int value);
    void ChangeRepeatDelay(int option);

    // --- state, for the panels, the main window and tests -------------------------------
    const keyboard::KeyboardConfig& Config() const { return m_config; }
    bool IsConfigValid() const { return m_config.valid; }
    // What told the keys' positions at the last good read, and whether that is remembered.
    const keyboard::KeyIdentity& KeyIdentityInUse() const { return m_keyIdentity; }
    bool IsKeyIdentityRemembered() const { return m_keyIdentityRemembered; }
    std::uint8_t OnboardIndex() const { return m_onboardIndex; }
    const keyboard::OnboardRecordBytes& OnboardRecord() const { return m_onboardRecord; }
    const keyboard::KeyboardDefaultData& DefaultData() const { return m_defaults; }
    data::CKeyboardProfiledata& ProfileData() { return m_profile; }
    lighting::KeyboardLightEngine& LightEngine() { return m_engine; }
    // Whether the light thread runs its passes (rather than sleeping while nobody
    // sees or streams the colours).
    bool IsLightThreadComputing() const {
        return IsLightThreadRunning() && m_lightThread->IsActive();
    }
    // Whether live frames to the receiver are off (the keypad was not reachable through it).
    bool IsReceiverStreamingOff() const {
        return m_liveSender && m_liveSender->IsStreamingOff(lighting::LinkKind::Receiver);
    }
    bool IsLightThreadResting() const {
        return IsLightThreadRunning() && m_lightThread->IsResting();
    }
    std::uint16_t LastSyncCode() const { return m_lastSyncCode.load(); }
    // -1 while the lighting panel has no custom group selected.
    int SelectedCustomGroup() const { return m_panelGroup; }

public slots:
    // The profile panel's requests: take another profile and write it to the keypad, write
    // the profile just reset to its defaults, show a function page.
    void SwitchProfile(const QString& profileId);
    void ReloadResetProfile();
    void ShowFunctionPage(int page) { SetFunctionPage(page); }

signals:
    // RefreshPanel ran (always on the UI thread).
    void panelRefreshed();

protected:
    void OnNotificationUsage(ConnectionLink link, std::uint16_t usage) override;

private:
    void ReadDeviceConfig();
    // Rebuilds the key maps from the codes that name the keys by position: the table
    // remembered for this device, a known product's layout, or the device's own table.
    void AdoptKeyIdentity();
    // Writes the key identity to the user folder when it is trusted and not yet there.
    void RememberKeyIdentity();
    // Reads the active slot's record; false (and nothing changed) when a read failed.
    bool ReadOnboardProfile();
    // The live frame sender, made when first needed.
    lighting::LiveFrameSender& LiveSender();
    void TakeLightingState(const data::LightInfo& info);
    void WriteCustomGroup();
    std::vector<data::CustomColor> CustomLightsAsColours() const;
    void StoreSystemSettings(bool writeDevice);
    void SelectOption(const QString& name, bool selected);
    bool IsOptionSelected(const QString& name) const;
    std::filesystem::path DefaultFolderPath() const;
    bool CanWrite() const { return m_connection.Channel().IsEnabled() && m_config.valid; }

    keyboard::KeyboardMemory m_memory;
    keyboard::KeyboardConfig m_config;
    keyboard::KeyIdentity m_keyIdentity;
    bool m_keyIdentityRemembered = false;
    std::uint8_t m_onboardIndex = 0;
    keyboard::OnboardRecordBytes m_onboardRecord{};
    data::LightInfo m_lightInfo;
    lighting::AudioLightSettings m_audio;
    std::vector<data::KeyEntry> m_keys;
    std::vector<data::KeyEntry> m_secondKeys;
    data::KeyboardSystemStages m_system;
    data::CKeyboardProfiledata m_profile;
    keyboard::KeyboardDefaultData m_defaults;
    QString m_profileName;
    std::array<lighting::LedColor, keyboard::kUiKeyCount> m_customLights{};
    int m_panelGroup = -1;
    std::atomic<std::uint16_t> m_lastSyncCode{0};

    lighting::KeyboardLightEngine m_engine;
    std::unique_ptr<lighting::LiveFrameSender> m_liveSender;
    std::vector<int> m_macroHalfCounts;
    std::atomic<std::uint64_t> m_shownFrameVersion{~std::uint64_t{0}}; // of the last frame shown
};

} // namespace vpc::devices
