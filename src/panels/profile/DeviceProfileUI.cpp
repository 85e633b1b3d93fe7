#include "DeviceProfileUI.h"

#include "DeviceTypes.h"
#include "DialogBuilder.h"
#include "TextUtil.h"

#include <QComboBox>
#include <QVBoxLayout>
#include <algorithm>

namespace vpc::panels {

namespace {

// Function tabs each device kind leaves out; "deng_Op_tab" is always shown and the three
// headset tabs only on a headset.
bool TabShownFor(int kind, const QString& tab) {
    const auto is = [&tab](const char* name) {
        return tab.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    };
    const bool headsetTab =
        is("6533_voice_Op_tab") || is("magic_Op_tab") || is("Virtual7.1_Op_tab");
    switch (kind) {
    case kKeyboardType:
        return !is("cursor_Op_tab") && !headsetTab;
    case kMouseType:
        return !headsetTab;
    case kMousePadType:
        return is("deng_Op_tab");
    case kHeadsetType:
        return is("deng_Op_tab") || headsetTab;
    default:
        return !headsetTab;
    }
}

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

CDeviceProfileUI::CDeviceProfileUI(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this); // owned by this panel
    layout->setContentsMargins(0, 0, 0, 0);
    m_content = CDialogBuilder::Create(QString::fromLatin1(kLayout), {}, this);
    if (!m_content) {
        qWarning("Profile panel: %s", qPrintable(CDialogBuilder::LastError()));
        return;
    }
    layout->addWidget(m_content);
    ShowProfileMenu(false);
}

CControlUI CDeviceProfileUI::Part(const char* name) const {
    if (!m_content)
        return {};
    const QString wanted = QString::fromLatin1(name);
    if (ControlName(m_content).compare(wanted, Qt::CaseInsensitive) == 0)
        return CControlUI(m_content);
    const QList<QWidget*> parts = m_content->findChildren<QWidget*>();
    for (QWidget* part : parts) {
        if (ControlName(part).compare(wanted, Qt::CaseInsensitive) == 0)
            return CControlUI(part);
    }
    return {};
}

void CDeviceProfileUI::SetDeviceKind(int kind) {
    m_list.SetDeviceKind(kind);
}

void CDeviceProfileUI::SetFolders(const QString& deviceFolder, const QString& defaultProfilePath) {
    m_deviceFolder = deviceFolder;
    m_defaultProfilePath = defaultProfilePath;
    m_list.SetFolders(deviceFolder.toStdString(), defaultProfilePath.toStdString());
}

void CDeviceProfileUI::SetDeviceKindProperty(int kind) {
    SetDeviceKind(kind);
    LoadWhenReady();
}

void CDeviceProfileUI::SetDeviceFolderProperty(const QString& folder) {
    SetFolders(folder, m_defaultProfilePath);
    LoadWhenReady();
}

void CDeviceProfileUI::SetDefaultProfileProperty(const QString& path) {
    SetFolders(m_deviceFolder, path);
    LoadWhenReady();
}

void CDeviceProfileUI::LoadWhenReady() {
    if (m_deviceFolder.isEmpty() || m_defaultProfilePath.isEmpty())
        return;
    LoadProfileList();
    SelectOpTab(1);
}

void CDeviceProfileUI::RequestSwitch() {
    const QString id = GetCurrentProfileId();
    if (m_target)
        m_target->SwitchProfile(id);
    emit profileSwitchRequested(id);
}

void CDeviceProfileUI::RequestResetReload() {
    if (m_target)
        m_target->ReloadResetProfile();
    emit resetProfileReloadRequested();
}

void CDeviceProfileUI::RequestFunctionPage(int n) {
    if (m_target)
        m_target->SetFunctionPage(n);
    emit functionPageRequested(n);
}

void CDeviceProfileUI::LoadProfileList() {
    m_list.Load();
    Mirror();
    SelectProfile(m_list.StoredSelection(), false);
    for (const char* tab : kOpTabNames)
        Part(tab).SetVisible(TabShownFor(m_list.DeviceKind(), QString::fromLatin1(tab)));
}

bool CDeviceProfileUI::ComboMatchesList() const {
    const CControlUI combo = Combo();
    if (combo.GetCount() != m_list.Count())
        return false;
    for (int i = 0; i < m_list.Count(); ++i) {
        if (combo.GetItemText(i) != ToQString(m_list.Entries()[static_cast<std::size_t>(i)].name))
            return false;
    }
    return true;
}

void CDeviceProfileUI::Mirror() {
    CControlUI combo = Combo();
    if (!combo)
        return;
    const int selected = combo.GetCurSel();
    if (!ComboMatchesList()) {
        combo.RemoveAllItems();
        for (const data::ProfileEntry& entry : m_list.Entries())
            combo.AddItem(ToQString(entry.name), ToQString(entry.name));
    }
    // The combo keeps its selection while it names a listed profile, else shows the current.
    int show = selected >= 0 && selected < m_list.Count() ? selected : m_list.CurrentIndex();
    if (combo.GetCurSel() != show || selected != show)
        combo.SelectItem(show, false);
    if (show >= 0)
        SetNameEditText(combo.GetItemText(show));
}

bool CDeviceProfileUI::SelectProfile(int index, bool notify) {
    CControlUI combo = Combo();
    if (!combo || index < 0 || index >= m_list.Count() || index >= combo.GetCount())
        return false;
    combo.SelectItem(index, notify);
    SetNameEditText(combo.GetItemText(index));
    if (!m_list.Select(index)) {
        // The list file changed under us: show what it holds now.
        Mirror();
        return false;
    }
    return true;
}

int CDeviceProfileUI::GetSelectedIndex() const {
    const CControlUI combo = Combo();
    return combo ? combo.GetCurSel() : -1;
}

QString CDeviceProfileUI::GetCurrentProfileId() const {
    return ToQString(m_list.CurrentId());
}

int CDeviceProfileUI::GetProfileCount() {
    m_list.Reload();
    Mirror();
    return m_list.Count();
}

QString CDeviceProfileUI::GetProfileFilePath(int index) const {
    return QString::fromStdString(m_list.ProfilePath(index).string());
}

QString CDeviceProfileUI::GetNameEditText() const {
    return Part("device_profile_name_edit").GetText();
}

void CDeviceProfileUI::SetNameEditText(const QString& text) {
    Part("device_profile_name_edit").SetText(text);
}

void CDeviceProfileUI::ShowProfileMenu(bool on) {
    Part("profile_menu_layout").SetVisible(on);
    Part("profile_fun_spread_btn").Selected(on, false);
}

bool CDeviceProfileUI::IsProfileMenuVisible() const {
    return Part("profile_menu_layout").IsVisible();
}

void CDeviceProfileUI::AddProfile() {
    const CControlUI combo = Combo();
    if (!combo || combo.GetCount() >= data::kMaxProfilesWhenAdding)
        return;
    m_list.Add();
    Mirror();
}

void CDeviceProfileUI::DeleteProfile() {
    const CControlUI combo = Combo();
    const int selected = GetSelectedIndex();
    if (!combo || selected < 0 || combo.GetCount() <= 1)
        return;
    const int next = m_list.Delete(selected);
    if (next < 0) {
        Mirror();
        return;
    }
    // The device leaves the deleted profile at once, not through the combo's notification.
    if (CPaintManagerUI* manager = CPaintManagerUI::FromControl(this))
        manager->KillTimer(this, kSwitchTimerId);
    Combo().SelectItem(-1, false);
    Mirror();
    RequestSwitch();
}

void CDeviceProfileUI::CopyProfile() {
    const int selected = GetSelectedIndex();
    if (selected < 0)
        return;
    m_list.Copy(selected);
    Mirror();
}

int CDeviceProfileUI::RenameProfile(const QString& name) {
    const int selected = GetSelectedIndex();
    if (!Combo())
        return static_cast<int>(data::RenameResult::NotDone);
    const data::RenameResult result = m_list.Rename(selected, name.toStdString());
    Mirror();
    return static_cast<int>(result);
}

bool CDeviceProfileUI::ImportProfile(const QString& path) {
    const data::ImportResult result = m_list.Import(path.toStdString());
    Mirror();
    if (result != data::ImportResult::Imported)
        qWarning("Profile not imported: %s", qPrintable(path));
    return result == data::ImportResult::Imported;
}

bool CDeviceProfileUI::ExportProfile(const QString& path) const {
    return m_list.Export(GetSelectedIndex(), path.toStdString());
}

bool CDeviceProfileUI::ResetProfile() {
    const int selected = GetSelectedIndex();
    if (selected < 0)
        return false;
    const bool reset = m_list.Reset(selected);
    Mirror();
    return reset;
}

void CDeviceProfileUI::SelectOpTab(int n) {
    for (int i = 0; i < kOpTabCount; ++i) {
        if (n < 1 || n > kOpTabCount) {
            if (i < kOpTabCount - 1)
                Part(kOpTabNames[static_cast<std::size_t>(i)]).Selected(false, false);
            continue;
        }
        Part(kOpTabNames[static_cast<std::size_t>(i)]).Selected(i + 1 == n, false);
    }
}

int CDeviceProfileUI::SelectedOpTab() const {
    for (int i = 0; i < kOpTabCount; ++i) {
        if (Part(kOpTabNames[static_cast<std::size_t>(i)]).IsSelected())
            return i + 1;
    }
    return 0;
}

int CDeviceProfileUI::OpTabNumber(const QString& name) {
    for (int i = 0; i < kOpTabCount; ++i) {
        if (name.compare(QLatin1String(kOpTabNames[static_cast<std::size_t>(i)]),
                         Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

void CDeviceProfileUI::StartSwitchTimer() {
    CPaintManagerUI* manager = CPaintManagerUI::FromControl(this);
    if (!manager) {
        SwitchToSelected(); // a panel outside a window has nothing to wait for
        return;
    }
    manager->SetTimer(this, kSwitchTimerId, kSwitchDelayMs);
}

bool CDeviceProfileUI::IsSwitchPending() const {
    const CPaintManagerUI* manager = CPaintManagerUI::FromControl(this);
    return manager && manager->HasTimer(const_cast<CDeviceProfileUI*>(this), kSwitchTimerId);
}

void CDeviceProfileUI::SwitchToSelected() {
    const int index = GetSelectedIndex();
    if (index < 0 || !SelectProfile(index, false))
        return;
    RequestSwitch();
}

bool CDeviceProfileUI::OnControlTimer(int timerId) {
    if (timerId != kSwitchTimerId)
        return false;
    if (CPaintManagerUI* manager = CPaintManagerUI::FromControl(this))
        manager->KillTimer(this, kSwitchTimerId);
    SwitchToSelected();
    return true;
}

CDeviceProfileUI* ProfilePanelOf(QWidget* device) {
    if (!device)
        return nullptr;
    if (auto* panel = qobject_cast<CDeviceProfileUI*>(device))
        return panel;
    return device->findChild<CDeviceProfileUI*>();
}

CDeviceProfileUI* ProfilePanelAround(QWidget* control) {
    for (QWidget* w = control; w; w = w->parentWidget()) {
        if (auto* panel = qobject_cast<CDeviceProfileUI*>(w))
            return panel;
    }
    return nullptr;
}

} // namespace vpc::panels
