// The profile panel of a device page: the profile combo, the name edit, the profile buttons and
// the function tabs. It mirrors the device's profile list, which keeps the files.
#pragma once

#include "PaintManagerUI.h"
#include "ProfileList.h"
#include "ProfileTarget.h"

#include <QPointer>
#include <QWidget>
#include <array>

namespace vpc::panels {

class CDeviceProfileUI : public QWidget, public ITimerTargetUI {
    Q_OBJECT
    // Set by a device object that sees the panel only as a widget: once folder and default
    // profile are both known, the list is loaded and the first function tab chosen.
    Q_PROPERTY(int deviceKind READ DeviceKind WRITE SetDeviceKindProperty)
    Q_PROPERTY(QString deviceFolder READ DeviceFolder WRITE SetDeviceFolderProperty)
    Q_PROPERTY(QString defaultProfilePath READ DefaultProfilePath WRITE SetDefaultProfileProperty)
    Q_PROPERTY(QString currentProfileId READ GetCurrentProfileId)
public:
    // The class name the device page layouts use, and the panel's own layout.
    static constexpr const char* kRegisteredName = "DeviceProfile";
    static constexpr const char* kLayout = "XML\\CustomControlXML\\DeviceProfile.xml";
    // The profile switch runs 400 ms after the last choice in the combo.
    static constexpr int kSwitchTimerId = 1055;
    static constexpr int kSwitchDelayMs = 400;
    static constexpr int kOpTabCount = 8;
    static constexpr std::array<const char*, kOpTabCount> kOpTabNames = {
        "deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
        "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"};

    explicit CDeviceProfileUI(QWidget* parent = nullptr);

    // Set-up by the device, before LoadProfileList.
    void SetDeviceKind(int kind);
    int DeviceKind() const { return m_list.DeviceKind(); }
    void SetFolders(const QString& deviceFolder, const QString& defaultProfilePath);
    QString DeviceFolder() const { return m_deviceFolder; }
    QString DefaultProfilePath() const { return m_defaultProfilePath; }
    void SetTarget(IProfileTarget* target) { m_target = target; }
    IProfileTarget* Target() const { return m_target; }
    // What the routes ask of the device: the target's call and the matching signal.
    void RequestResetReload();
    void RequestFunctionPage(int n);

    // Reads (or creates) the list, fills the combo, selects the stored profile without a
    // notification and shows the function tabs of the device kind.
    Q_INVOKABLE void LoadProfileList();
    // Selects the entry, shows its name and stores it as the current profile. False when the
    // combo is missing, the index is out of range or the list no longer holds that profile.
    bool SelectProfile(int index, bool notify);
    int GetSelectedIndex() const;
    QString GetCurrentProfileId() const;
    // Reads the list file again (the combo follows it) and returns its profile count.
    int GetProfileCount();
    QString GetProfileFilePath(int index) const;
    QString GetNameEditText() const;
    void SetNameEditText(const QString& text);
    void ShowProfileMenu(bool on);
    bool IsProfileMenuVisible() const;

    // The profile commands; each acts on the combo's selected entry.
    void AddProfile();
    // Removes the selected profile (never the last one) and switches the device to the entry
    // that is then selected.
    void DeleteProfile();
    void CopyProfile();
    // 1 renamed, 0 the name is taken, 2 the name is blank, -1 nothing selected or not written.
    int RenameProfile(const QString& name);
    bool ImportProfile(const QString& path);
    bool ExportProfile(const QString& path) const;
    bool ResetProfile();

    // Checks tab n (1 to 8, in the order of kOpTabNames) and unchecks the others, without
    // notifications; any other n unchecks the first seven.
    void SelectOpTab(int n);
    // The number of the checked function tab, 0 when none is checked.
    int SelectedOpTab() const;
    // The number of a function tab name (ignoring case), 0 for other names.
    static int OpTabNumber(const QString& name);

    // Starts (or restarts) timer 1055; when it fires the device switches to the selected
    // profile.
    void StartSwitchTimer();
    bool IsSwitchPending() const;
    // The timer's work: the selected entry becomes the current profile of the device.
    void SwitchToSelected();
    bool OnControlTimer(int timerId) override;

    const data::CProfileList& List() const { return m_list; }

signals:
    // Emitted beside the calls on the target, for a device connected by signal.
    void profileSwitchRequested(const QString& profileId);
    void resetProfileReloadRequested();
    void functionPageRequested(int n);

private:
    void SetDeviceKindProperty(int kind);
    void SetDeviceFolderProperty(const QString& folder);
    void SetDefaultProfileProperty(const QString& path);
    void LoadWhenReady();
    void RequestSwitch();

    CControlUI Part(const char* name) const;
    CControlUI Combo() const { return Part("device_profile_combo"); }
    // Fills the combo from the list and selects the current profile, without notifications.
    void Mirror();
    bool ComboMatchesList() const;

    QWidget* m_content = nullptr; // child of this panel, built from kLayout
    data::CProfileList m_list;
    IProfileTarget* m_target = nullptr;
    QString m_deviceFolder;
    QString m_defaultProfilePath;
};

// The profile panel on a device page, or null.
CDeviceProfileUI* ProfilePanelOf(QWidget* device);
// The profile panel that holds the control, or null.
CDeviceProfileUI* ProfilePanelAround(QWidget* control);

} // namespace vpc::panels
