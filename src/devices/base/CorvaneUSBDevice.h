// The device base: one object per product, at once the toolkit control of the product's page
// and the owner of its connection, identity, key and LED buttons, LED colours and names.
// The device classes derive from it and replace its virtual operations.
#pragma once

#include "DeviceConnection.h"
#include "DeviceLightState.h"

#include "KeyAssignment.h"
#include "ProfileRecords.h"

#include "PaintManagerUI.h"
#include "UiTypes.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "WindowImplBase.h"
#include "lighting/LightThread.h"
#include "lighting/TickSource.h"

namespace vpc::lighting {
class LiveFrameSender;
}

namespace vpc::devices {

class CDeviceOptionUI;
class CMpDevicePowerUI;

class CCorvaneUSBDevice : public QWidget, public INotifyUI {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "CorvaneUSBDevice";
    static constexpr int kInfoBlockSize = 34;
    static constexpr int kMaxLiveLeds = 170;
    static constexpr std::uint8_t kLiveFrameMode = 11;
    static constexpr std::size_t kOverlayEntrySize = 14;
    using OverlayEntry = std::array<std::uint8_t, kOverlayEntrySize>;
    using KeyMap = std::vector<std::uint8_t>;

    explicit CCorvaneUSBDevice(QWidget* parent = nullptr);
    ~CCorvaneUSBDevice() override;

    virtual QString GetClass() const { return QString::fromLatin1(kClassName); }

    // --- virtual operations, in slot order ---------------------------------------------
    virtual void Init();
    virtual void ApplyLightSettings() {}
    virtual void StepBreathColorCycle() { m_light.StepBreathColorCycle(); }
    virtual void StepBreathBasicColors() { m_light.StepBreathBasicColors(); }
    virtual void StepStaticColor() { m_light.StepStaticColor(); }
    virtual void StepSpectrumCycle() { m_light.StepSpectrumCycle(); }
    virtual void StepFlashColorCycle() { m_light.StepFlashColorCycle(); }
    virtual void StepFlashBasicColors() { m_light.StepFlashBasicColors(); }
    virtual void StepLightsOff() { m_light.StepLightsOff(); }
    virtual void SendLightFrame();
    virtual void SetLedColor(int index, lighting::LedColor color) {
        m_light.SetLedColor(index, color);
    }
    virtual lighting::LedColor GetLedColor(int index) const { return m_light.GetLedColor(index); }
    // The base keeps the information block; the device classes read everything else.
    virtual void OnDeviceArrived();
    virtual void OnDeviceSync() {}
    virtual void OnFirstSpareDeferred() {}
    virtual void OnSecondSpareDeferred() {}
    // Reads the status block into the power panel (byte 3 says whether on the receiver).
    virtual void ReadDeviceStatus();
    // True when the wireless device answers through its receiver (always on the cable).
    virtual bool CheckWirelessLink() { return Channel().QueryWirelessLink(); }
    virtual void LoadProfile() {}
    virtual void RefreshPanel() {}
    virtual void ValidateMacroKeys() {}
    virtual void ReloadProfile() {}
    virtual std::vector<int> GetUsedMacros() const { return {}; }
    virtual int DownloadKeyAssignments(int /*slot*/, const std::vector<int>& /*keys*/) { return 0; }
    virtual int DownloadCurrentKeyAssignments(int /*slot*/) { return 0; }
    virtual int DownloadMacros(const std::vector<int>& /*macroIndexes*/) { return 0; }
    virtual int WriteOnboardProfile(int /*slot*/, int /*value*/, int /*flag*/, int /*width*/,
                                    int /*height*/) {
        return 0;
    }
    virtual void LoadDefaultData() {}
    virtual void SetKeyMap(const KeyMap& map) { m_keyMaps[1] = map; }
    virtual void FadeLed(int index, int mode) { m_light.FadeLed(index, mode); }
    virtual void MarkActiveLeds() { m_light.MarkActiveLeds(); }
    virtual void RotateLedRing(bool forward) { m_light.RotateLedRing(forward); }
    virtual void ClearEffectState() { m_light.ClearEffectState(); }
    virtual void SetFunctionPage(int type);
    virtual int GetFunctionPage() const { return m_functionPage; }
    virtual void SetProfilePaths() {}
    virtual QString GetProfileName() const { return {}; }
    virtual void SaveProfile() {}
    virtual void SetLightType(int value) { m_lightType = value; }
    virtual int GetLightType() const { return m_lightType; }
    // The lighting record the device shows now.
    virtual DeviceLightRecord CurrentLightRecord() const { return m_light.Record(); }
    // Gives the device a lighting record through SetLightInfo.
    void SetLightRecord(const DeviceLightRecord& record) {
        const std::array<std::uint32_t, 4> words = record.ToWords();
        SetLightInfo(words[0], words[1], words[2], words[3]);
    }
    virtual void SetLightInfo(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2,
                              std::uint32_t w3);
    virtual void SetAudioLightInfo(int mode, int foreground, int background);
    virtual std::array<int, 3> GetAudioLightInfo();
    virtual void SelectKey(int index) { m_selectedKey = index; }
    virtual void SetAudioLevels(const int* /*levels*/, int /*count*/) {}
    virtual void SetScreenColors(const std::uint32_t* /*colours*/, int /*count*/) {}
    // Devices that list lighting modes per connection refresh the list for it.
    virtual void RefreshLightModeList(bool /*wired*/) {}

    // --- set-up by the main window -----------------------------------------------------
    void SetIdentity(const DeviceIdentity& identity);
    const DeviceIdentity& Identity() const { return m_connection.Identity(); }
    void SetOwnerWindow(WindowImplBase* window) { m_owner = window; }
    WindowImplBase* OwnerWindow() const;
    void SetPageLayoutName(const QString& name) { m_pageLayout = name; }
    QString PageLayoutName() const { return m_pageLayout; }
    void SetKeyCapacity(int capacity);
    void SetLedCapacity(int capacity);
    int KeyCapacity() const { return m_keyCapacity; }
    int LedCapacity() const { return m_ledCapacity; }
    void SetOptionRow(int row) { m_optionRow = row; }
    int OptionRow() const { return m_optionRow; }
    void SetHasPowerPanel(bool has) { m_hasPowerPanel = has; }
    bool HasPowerPanel() const { return m_hasPowerPanel; }
    void SetProfileBaseName(const QString& name) { m_profileBase = name; }
    void SetDeviceName(const QString& name) { m_deviceName = name; }
    QString DeviceName() const { return m_deviceName; }
    void SetLightingFileBase(const QString& name) { m_lightingFileBase = name; }
    void SetPowerPanel(CMpDevicePowerUI* panel);
    CMpDevicePowerUI* PowerPanel() const;
    void SetDeviceEntry(CDeviceOptionUI* entry);
    CDeviceOptionUI* DeviceEntry() const;
    QWidget* PreviewControl() const { return m_keyLightArea; }
    void SetPreviewEnabled(bool enabled);
    bool IsPreviewEnabled() const { return m_previewEnabled; }
    // Whether the preview is enabled and on screen, so that someone sees its colours.
    bool IsPreviewShown() const;
    // Whether anyone sees or receives this device's light frames: the preview on screen
    // or a mode that streams them to the device.
    virtual bool WantsLightFrames() const;
    // Whether the colours stand still and the last frame showed them (see MayRestLightFrames).
    virtual bool LightFramesSettled() const { return false; }
    // From any thread: the colours changed, so a frame timer resting on still colours goes on.
    void OnLightColoursChanged();
    // Tells the device entry that frames are wanted again, so a resting frame timer fires
    // at once. May be called from any thread.
    void HurryLightFrames();
    // Asked by the frame timer after a frame: true when it may stop until the colours
    // change or frames are wanted again, because nobody wants them, or the colours stand
    // still and the last frame showed them. The next change then hurries the timer.
    bool MayRestLightFrames();
    // Stores the flag; on a keyboard, 1 also tells the device (command 0x1C).
    void NotifyLightControl(bool control);
    bool IsLightControlled() const { return m_lightControl.load(); }
    void SetSynchronised(bool on);
    bool IsSynchronised() const { return m_synchronised.load(); }
    void PauseStatusPolling(bool pause);
    bool IsStatusPollingPaused() const { return m_statusPollingPaused; }
    const std::array<std::uint8_t, kInfoBlockSize>& InfoBlock() const { return m_info; }
    // Sets the copy of the information block (after ReadInfoBlock).
    void SetInfoBlock(const std::uint8_t* bytes, std::size_t length);
    int DeviceType() const { return m_deviceType; }
    int InterfaceRole() const { return m_role; }
    int SelectedKey() const { return m_selectedKey; }

    CDeviceConnection& Connection() { return m_connection; }
    hid::CCommandChannel& Channel() { return m_connection.Channel(); }
    CDeviceLightState& LightState() { return m_light; }
    QWidget* KeyButton(int index) const;
    QWidget* LedButton(int index) const;
    // Whether the page has key buttons that show the LEDs' colours.
    bool HasLedButtons() const;
    const KeyMap& KeyMapAt(int which) const { return m_keyMaps[static_cast<std::size_t>(which)]; }
    std::recursive_mutex& LightListLock() { return m_lightLock; }
    std::recursive_mutex& SequenceLock() { return m_sequenceLock; }
    std::vector<OverlayEntry>& OverlayList() { return m_overlays; }
    QStringList& DefaultList(int which) { return m_defaultLists[static_cast<std::size_t>(which)]; }
    // Lists 0-3: the lighting mode names, the macro names, the area names and the custom
    // lighting names.
    void SetDefaultLists(const std::vector<std::string>& modes,
                         const std::vector<std::string>& macros,
                         const std::vector<std::string>& areas,
                         const std::vector<std::string>& customLights);
    // A profile's light sequence as the lighting engines play it.
    static std::vector<lighting::EffectFrame>
    EngineSequence(const std::vector<data::EffectFrame>& frames);

    // A control of this device's page by name (ignoring case), or none.
    QWidget* FindPageControl(const QString& name) const;
    // The device's user folder as a path (empty when it has none).
    std::filesystem::path UserFolderPath() const;
    // The key assignment panel of the page ("KeySetControlItem"), told by the names of its
    // operations: the device kind and macro names it offers, and the key to open.
    void SetUpKeyEditor(int deviceKind, const std::vector<std::string>& macroNames);
    void OpenKeyEditor(const data::KeyEntry& entry);

    // The profile to use: `current` when it is a safe file id, else the one the device's
    // "ProfileList.ini" selects, else `fallback`.
    QString ResolveProfileName(const QString& current, const QString& fallback) const;

    // Folders (each ending with a slash) of this device's data.
    QString DefaultDataFolder() const;
    QString DefaultProfilePath() const;
    QString UserDataFolder() const;

    // Live frames: sends so far, and whether streaming is off for a connection.
    bool IsLiveStreamingOff(ConnectionLink link) const;
    // Waits until the live-frame sender has nothing left (tests and shutdown).
    bool WaitLiveFramesIdle(int timeoutMs) const;

    // Joins the paint manager's notifications (the notification filter applies).
    void AttachToPaintManager(CPaintManagerUI* manager);
    // Toolkit notifications: only those of controls inside this device's page arrive at
    // OnPageNotify.
    void Notify(TNotifyUI& msg) override;
    bool IsOwnControl(const QWidget* sender) const;

    // Stops every thread and closes every interface (the main window calls it on close).
    virtual void StopWorkers();

    bool IsLightThreadRunning() const { return m_lightThread && m_lightThread->IsRunning(); }
    int NotedLightMode() const { return m_notedLightMode.load(); }

signals:
    // Queued from a sync thread to the UI thread.
    void notificationArrived(int link, int usage);
    // The device took another lighting mode (music and screen colour need the capture).
    void lightModeChanged(int mode);

protected:
    // Says lightModeChanged when the mode differs from the last one said.
    void NoteLightMode(int mode);
    // The light thread of the device class's engine: started afresh, stopped with the class's
    // debug line, and after each frame told whether anyone needs its passes.
    void StartLightThread(lighting::ILightEngine& engine);
    void StopLightThread(const char* exitLine);
    void UpdateLightThreadGates();
    std::unique_ptr<lighting::LightThread> m_lightThread;

    // The page's lighting panel ("LightControlItem"), or none.
    QWidget* LightPanel() const;
    // Hands the lighting panel a whole lighting record to show.
    void ShowLightRecordOnPanel(const std::array<std::uint32_t, 4>& words);
    // The device classes that find their buttons themselves hand them over here (indexes
    // outside the capacity are ignored), and name the area that previews the LEDs.
    void AssignKeyButton(int index, QWidget* button);
    void AssignLedButton(int index, QWidget* button);
    void SetKeyLightArea(QWidget* area);
    // The preview's area coming on screen (say on a tab of the page) wakes resting frames.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Shows an LED's colour on its key in the page's preview (while previews are on).
    void ShowLedPreview(int index, const lighting::LedColor& color);
    // Sets a lit LED's colour on one key button.
    static void ShowLedOn(QWidget* button, std::uint32_t colorWord, int brightness);
    // A notification report reached the UI thread: the base re-reads the device 50 ms later
    // (timer 1002 on the list entry); the device classes decide by usage.
    virtual void OnNotificationUsage(ConnectionLink link, std::uint16_t usage);
    virtual void OnPageNotify(TNotifyUI& /*msg*/) {}
    // The class's debug line when a sync thread ends.
    virtual const char* SyncThreadExitLine() const { return "MS 设备同步线程设定退出"; }

    CDeviceConnection m_connection;
    CDeviceLightState m_light;

private:
    std::atomic<int> m_notedLightMode{-1};
    std::array<std::uint8_t, kInfoBlockSize> m_info{};
    QPointer<QWidget> m_lightPanel;
    QPointer<QWidget> m_profilePanel;
    QPointer<QWidget> m_macroList;
    QPointer<QWidget> m_keyLightArea;
    QPointer<CDeviceOptionUI> m_entry;
    QPointer<CMpDevicePowerUI> m_powerPanel;
    QPointer<QWidget> m_functionSwitch;
    QPointer<QWidget> m_keyFunctionSwitch;
    QString m_pageLayout;
    QString m_profileBase;
    QString m_lightingFileBase;
    QString m_deviceName;
    QPointer<WindowImplBase> m_owner;
    QPointer<CPaintManagerUI> m_manager; // the window's manager goes before its controls
    int m_deviceType = 0;
    int m_role = 0;
    int m_keyCapacity = 0;
    int m_ledCapacity = 0;
    int m_optionRow = -1;
    int m_selectedKey = -1;
    int m_functionPage = 1;
    std::vector<QPointer<QWidget>> m_keyButtons;
    std::vector<QPointer<QWidget>> m_ledButtons;
    std::array<KeyMap, 3> m_keyMaps;
    std::recursive_mutex m_lightLock;
    std::vector<OverlayEntry> m_overlays;
    std::recursive_mutex m_sequenceLock;
    std::vector<std::vector<std::uint8_t>> m_sequence;
    std::atomic<bool> m_lightControl{true};
    std::atomic<bool> m_synchronised{false};
    std::atomic<bool> m_framesResting{false}; // the frame timer waits for a change
    bool m_previewEnabled = true;
    std::array<QStringList, 6> m_defaultLists;
    bool m_hasPowerPanel = false;
    bool m_statusPollingPaused = false;
    int m_lightType = 0;
    std::array<int, 3> m_audioLight{};
    std::unique_ptr<lighting::LiveFrameSender> m_liveSender;
    // The light thread wakes every third 64 Hz tick (46.9 ms), just more often than the
    // 50 ms the preview and live frames take the colours at, and runs each tick's pass.
    static constexpr std::uint64_t kLightTicksPerWake = 3;
    lighting::SteadyTickSource m_ticks;
};

} // namespace vpc::devices
