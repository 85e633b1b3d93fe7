// The device object of mice: reads the mouse's information block and key table when it
// connects, keeps the mouse page (buttons, DPI stages, polling rate, pointer settings,
// lighting) in step with the profile, writes the onboard record and key table back, runs its
// lighting engine and follows the mouse's sync reports.
#pragma once

#include "CorvaneUSBDevice.h"

#include "MouseLightEngine.h"
#include "MouseOnboardRecord.h"
#include "MouseTables.h"

#include "CMouseProfiledata.h"
#include "KeyAssignment.h"
#include "KeyboardDefaultData.h"
#include "lighting/LightThread.h"
#include "lighting/TickSource.h"

#include <QPointer>
#include <QString>
#include <array>
#include <atomic>
#include <memory>
#include <vector>

namespace vpc::devices {

class CCorvaneMouseDevice : public CCorvaneUSBDevice {
    Q_OBJECT
public:
    // The name the layouts create it by; as a control it answers to the base's class name.
    static constexpr const char* kFactoryName = "CorvaneMouseDevice";
    static constexpr const char* kSettingsTabs = "mouse_device_seting_layout";
    static constexpr const char* kSettingsOptions = "mouse_option_layout";
    static constexpr const char* kLightingFileBase = "zemra_light";
    static constexpr const char* kFallbackProfileName = "Default";

    explicit CCorvaneMouseDevice(QWidget* parent = nullptr);
    ~CCorvaneMouseDevice() override;

    // --- operations of the device base the mouse replaces ------------------------------
    void Init() override;
    void ApplyLightSettings() override;
    void SendLightFrame() override;
    bool LightFramesSettled() const override;
    void OnDeviceArrived() override;
    void OnDeviceSync() override;
    void ReadDeviceStatus() override;
    bool CheckWirelessLink() override;
    void LoadProfile() override;
    void RefreshPanel() override;
    void ValidateMacroKeys() override;
    void ReloadProfile() override;
    std::vector<int> GetUsedMacros() const override;
    // As the keyboard's: 0 written, n >= 1 n x 4 bytes too long, negative on failure.
    int DownloadMacros(const std::vector<int>& macroIndexes) override;
    int DownloadKeyAssignments(int slot, const std::vector<int>& keys) override;
    int DownloadCurrentKeyAssignments(int slot) override;
    // 1 when the record reached the device, 0 when the link was down or a command failed.
    int WriteOnboardProfile(int slot, int value, int flag, int width, int height) override;
    void LoadDefaultData() override;
    void SetFunctionPage(int type) override;
    void SetProfilePaths() override;
    QString GetProfileName() const override { return m_profileName; }
    void SaveProfile() override;
    void SetLightType(int value) override;
    void SetLightInfo(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2,
                      std::uint32_t w3) override;
    void SelectKey(int index) override;
    void StopWorkers() override;

    // --- operations the mouse adds -----------------------------------------------------
    void InitPanel();
    data::LightInfo GetLightInfo() const { return m_lightInfo; }
    void SelectSettingsPage(int page);
    void HoldAllLeds() { m_engine.HoldAllLeds(); }

    // --- plain operations --------------------------------------------------------------
    void SetProfileName(const QString& name) { m_profileName = name; }
    std::vector<data::KeyEntry> GetKeyList() const { return m_keys; }
    void SetKeyList(const std::vector<data::KeyEntry>& list);
    void SetKeyAssignment(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2);
    std::vector<data::DpiStage> GetStages() const { return m_stages; }
    void SetStages(const std::vector<data::DpiStage>& stages);
    void SetMouseSettings(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2);
    data::SystemStageWords GetMouseSettings() const { return m_settings; }
    int ActiveStage() const { return m_activeStage; }
    void SetCurrentStage(int stage);
    void ShowDpiStageEnabled(int stage, bool on);
    bool IsDpiStageEnabled(int stage) const;
    void ShowDpiValue(int stage, int position);
    int GetDpiSliderValue(int stage) const;
    // The edit box's text as a slider position; nothing when the DPI scale is not usable.
    std::optional<int> ReadDpiEdit(int stage) const;
    std::uint32_t GetDpiColor(int stage) const;
    void SetDpiColor(int stage, std::uint32_t argb);
    void ShowPollingRate(int option);
    int GetPointerSpeed() const;
    bool IsPointerPrecisionOn() const;
    void ShowScrollSettings(bool byPage, int lines);
    bool IsScrollByPage() const;
    int GetScrollSpeed() const;
    int GetDoubleClickValue() const;
    int GetDoubleClickMax() const;
    void UpdateKeyCaptions();
    void UpdateLogoTip();
    // The pointer settings and the lift-off corrections of the profile on the pointer page.
    void ShowPointerSettings();
    void SetLogoLed(int led) { m_logoLed = led; }
    // Writes the four guns' recoil patterns to the mouse as one image: empty when it took
    // them, else what went wrong, for the user.
    QString DownloadShootData();

    // --- state, for the routes, the main window and tests ------------------------------
    const mouse::DpiScale& Scale() const { return m_scale; }
    bool IsDpiScaleUsable() const { return m_scale.IsUsable(); }
    bool IsConfigValid() const { return m_configValid; }
    const std::array<std::uint8_t, mouse::kButtonCount>& ButtonPositions() const {
        return m_buttonPositions;
    }
    std::uint8_t OnboardIndex() const { return m_onboardIndex.load(); }
    const mouse::MouseRecordBytes& OnboardRecord() const { return m_onboardRecord; }
    data::CMouseProfiledata& ProfileData() { return m_profile; }
    mouse::MouseLightEngine& LightEngine() { return m_engine; }
    std::uint16_t LastSyncCode() const { return m_lastSyncCode.load(); }

public slots:
    void SwitchProfile(const QString& profileId);
    void ReloadResetProfile();
    void ShowFunctionPage(int page) { SetFunctionPage(page); }

signals:
    void panelRefreshed();

protected:
    void OnNotificationUsage(ConnectionLink link, std::uint16_t usage) override;

private:
    void ReadDeviceConfig();
    bool ReadOnboardProfile();
    // Channel enabled and, on the receiver, the wireless device answering.
    bool LinkReady();
    void TakeStages(std::vector<data::DpiStage> stages, int active);
    void TakeProfileStages();
    void SelectOption(const QString& name, bool selected);
    bool IsOptionSelected(const QString& name) const;
    int ControlValue(const QString& name) const;
    void ShowLightInfoOnPanel();

    std::vector<data::KeyEntry> m_keys;
    std::vector<data::DpiStage> m_stages;
    int m_activeStage = 0;
    data::SystemStageWords m_settings{};
    std::array<std::uint8_t, 512> m_keyTable{};
    int m_keyCount = 0;
    bool m_configValid = false;
    std::array<std::uint8_t, mouse::kButtonCount> m_buttonPositions{};
    mouse::DpiScale m_scale;
    mouse::MouseRecordBytes m_onboardRecord{};
    std::atomic<std::uint8_t> m_onboardIndex{0};
    data::LightInfo m_lightInfo;
    data::CMouseProfiledata m_profile;
    keyboard::KeyboardDefaultData m_defaults;
    QString m_profileName;
    std::vector<QPointer<QWidget>> m_extraLedButtons;
    QPointer<QWidget> m_extraLedArea;
    QPointer<QWidget> m_logoButton;
    int m_logoLed = -1;
    std::atomic<std::uint16_t> m_lastSyncCode{0};

    mouse::MouseLightEngine m_engine;
    std::atomic<std::uint64_t> m_shownFrameVersion{~std::uint64_t{0}};
};

} // namespace vpc::devices
