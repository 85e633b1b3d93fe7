// One entry of the device list: the device's option button, synchronisation box and name, and
// the toolkit timers (1000-1007) by which the entry drives its device on the UI thread.
#pragma once

#include "PaintManagerUI.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>

namespace vpc::devices {

class CCorvaneUSBDevice;

class CDeviceOptionUI : public QWidget, public ITimerTargetUI {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "DeviceOption";
    static constexpr int kTimerLightFrame = 1000;
    static constexpr int kTimerFirstLoad = 1001;
    static constexpr int kTimerDeviceSync = 1002;
    static constexpr int kTimerSpareFirst = 1003;
    static constexpr int kTimerSpareSecond = 1004;
    static constexpr int kTimerStatus = 1005;
    static constexpr int kTimerLinkWatch = 1007;
    static constexpr int kLightFrameMs = 50;
    static constexpr int kFirstLoadMs = 500;
    static constexpr int kFirstLoadRetryMs = 3000;
    static constexpr int kStatusMs = 5000;
    static constexpr int kLinkWatchMs = 3000;
    // Message sent to the main window when the wireless device comes or goes.
    static constexpr unsigned kDeviceOnlineMessage = 3331;

    explicit CDeviceOptionUI(QWidget* parent = nullptr);
    ~CDeviceOptionUI() override;

    void SetDevice(CCorvaneUSBDevice* device);
    CCorvaneUSBDevice* Device() const;

    void SetIcon(int modelCode, int variant);
    void SetSynchroVisible(bool visible);
    void SetSynchroChecked(bool checked);
    bool IsSynchroChecked() const;
    void Select(bool selected);
    bool IsSelected() const;
    void BindDeviceTab(const QString& layoutName, int page);
    QString BoundTabLayout() const { return m_tabLayout; }
    int BoundTabPage() const { return m_tabPage; }
    void SetPowerPage(const QString& layoutName, int page);
    QString PowerContainer() const { return m_powerContainer; }
    int PowerPage() const { return m_powerPage; }
    void SetEntryVisible(bool visible);
    bool IsEntryVisible() const { return m_visible; }
    void SetTabGroup(const QString& group);
    void SetDeviceName(const QString& name);
    void SetPreviewControl(QWidget* preview) { m_preview = preview; }
    // The device's frames are wanted again (preview shown, streaming mode) or its colours
    // moved: a frame timer that rests fires at once.
    void HurryLightFrames();
    bool IsLightFrameTimerIdle() const { return m_lightFramesIdle; }
    int WirelessFailures() const { return m_wirelessFailures; }
    std::array<QString, 4> ImageNames() const { return m_images; }

    // Timers on this entry (through the window's paint manager).
    bool StartDeviceTimer(int timerId, int elapseMs);
    void StopDeviceTimer(int timerId);
    bool IsTimerRunning(int timerId) const;
    void StartFirstLoad() { StartDeviceTimer(kTimerFirstLoad, kFirstLoadMs); }
    // Timer 1007, only while the device's command channel is enabled.
    void StartLinkWatch(int elapseMs);
    void StopAllTimers();

    bool OnControlTimer(int timerId) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void FindSubControls() const;
    void SendDeviceOnline(bool online);
    void ApplyImages();
    CPaintManagerUI* Manager() const;

    void OnLightFrameTimer();
    std::uint64_t LedColoursFingerprint() const;
    void OnFirstLoadTimer();
    void OnStatusTimer();
    void OnLinkWatchTimer();

    QPointer<CCorvaneUSBDevice> m_device;
    bool m_visible = false;
    std::array<QString, 4> m_images; // normal, selected, synchronised normal and selected
    QString m_tabLayout;
    int m_tabPage = -1;
    QString m_powerContainer;
    int m_powerPage = -1;
    int m_wirelessFailures = 0;
    QPointer<QWidget> m_preview;
    mutable QPointer<CPaintManagerUI> m_manager;
    bool m_lightFramesIdle = false;
    bool m_previewPainted = false;
    std::uint64_t m_previewFingerprint = 0;
    mutable bool m_looked = false;
    mutable QPointer<QWidget> m_option;
    mutable QPointer<QWidget> m_synchro;
    mutable QPointer<QWidget> m_name;
};

} // namespace vpc::devices
