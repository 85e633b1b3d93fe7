#include "CorvaneMouseDevice.h"

#include "DeviceLog.h"
#include "KeyNames.h"
#include "MacroStore.h"
#include "ShootStore.h"

#include "CommandSession.h"
#include "KeyTableImage.h"
#include "MacroDownload.h"

#include "ControlClass.h"
#include "ControlUI.h"
#include "JsonAccess.h"
#include "JsonFile.h"
#include "SkinResources.h"
#include "TextUtil.h"

#include <QAbstractSlider>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QStackedWidget>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>

namespace vpc::devices {

using hid::CCommandChannel;
using namespace mouse;

namespace {

constexpr int kPointerWordSpeed = 0; // (DoubleClickTime, MouseSpeed)
constexpr int kCaptionRowHeight = 25;

// The text id of each button's own name.
constexpr std::array<const char*, kButtonCount> kButtonNames = {
    "mouse_key_left",  "mouse_key_right",   "mouse_key_middle",   "mouse_key_forward",
    "mouse_key_back",  "mouse_key_DPI_add", "mouse_key_DPI_sub",  "mouse_key_DPI_loop",
    "keyboard_key_GM", "mouse_key_M8_key",  "mouse_key_fire_key",
};

data::KeyAssignment FactoryAssignment(int button) {
    const KeyCode& code = MouseKeyCodeTable()[static_cast<std::size_t>(button)];
    return {code[0], code[1], code[2]};
}

// Exactly kButtonCount entries: entry j keeps slot j, missing ones are the button's own code.
std::vector<data::KeyEntry> PadMouseKeyList(const std::vector<data::KeyEntry>& list) {
    std::vector<data::KeyEntry> padded;
    padded.reserve(kButtonCount);
    for (int j = 0; j < kButtonCount; ++j) {
        const auto slot = static_cast<std::uint16_t>(j);
        if (j < static_cast<int>(list.size())) {
            data::KeyEntry entry = list[static_cast<std::size_t>(j)];
            entry.current.slot = slot;
            entry.defaults.slot = slot;
            padded.push_back(entry);
        } else {
            padded.push_back(
                data::KeyEntry::Make(slot, FactoryAssignment(j), FactoryAssignment(j)));
        }
    }
    return padded;
}

DeviceLightRecord ToRecord(const data::LightInfo& info) {
    DeviceLightRecord r;
    r.mode = info.selectItem;
    r.brightness = lighting::ClampLevel(info.light);
    r.speed = lighting::ClampLevel(info.speed);
    r.direction = info.fx;
    r.multiColor = info.multiColor;
    r.red = info.red;
    r.green = info.green;
    r.blue = info.blue;
    return r;
}

// The colour word of the key buttons: red, blue, green from the low byte up.
std::uint32_t LedWord(const lighting::LedColor& c) {
    return c.red | (std::uint32_t{c.blue} << 8) | (std::uint32_t{c.green} << 16);
}

} // namespace

CCorvaneMouseDevice::CCorvaneMouseDevice(QWidget* parent)
    : CCorvaneUSBDevice(parent), m_engine(m_light) {
    m_connection.SetKind(DeviceKind::Mouse);
    m_keys = PadMouseKeyList({});
    m_buttonPositions.fill(kNoPosition);
    m_engine.SetFrameListener([this] { OnLightColoursChanged(); });
}

CCorvaneMouseDevice::~CCorvaneMouseDevice() {
    StopWorkers();
    m_engine.SetFrameListener({});
    m_extraLedButtons.clear();
}

void CCorvaneMouseDevice::StopWorkers() {
    StopLightThread("MS灯光线程设定退出");
    CCorvaneUSBDevice::StopWorkers();
}

// --- panel -------------------------------------------------------------------------------

void CCorvaneMouseDevice::Init() {
    InitPanel();
}

void CCorvaneMouseDevice::InitPanel() {
    CCorvaneUSBDevice::Init(); // sizes the button lists; empties them without a layout
    if (PageLayoutName().isEmpty())
        return;
    auto* tabs = qobject_cast<QStackedWidget*>(FindPageControl(QString::fromLatin1(kSettingsTabs)));
    if (!tabs)
        return;
    QWidget* area = nullptr;
    // the pages in tab order: the first one is the area that previews the LEDs
    for (int index = 0; index < tabs->count(); ++index) {
        QWidget* page = tabs->widget(index);
        if (!page || !ControlClassIs(page, QStringLiteral("SelectPanel")))
            continue;
        if (!area)
            area = page;
        for (QObject* child : page->children()) {
            auto* button = qobject_cast<QWidget*>(child);
            if (!button || !ControlClassIs(button, QStringLiteral("DeviceKeyButton")))
                continue;
            const data::NameNumber name = data::SplitNameNumber(ControlName(button).toStdString());
            const QString userData = CControlUI(button).GetUserData();
            const data::NameNumber data = data::SplitNameNumber(userData.toStdString());
            if (name.ok && name.prefix == "key_" && name.number < KeyCapacity())
                AssignKeyButton(name.number, button);
            if (name.ok && name.prefix == "light_" && name.number < LedCapacity()) {
                AssignLedButton(name.number, button);
                ShowLedOn(button, 0xFFFFFFu, 255);
            }
            if (name.ok && name.prefix == "light_0_" && name.number < 256) {
                const auto at = static_cast<std::size_t>(name.number);
                if (m_extraLedButtons.size() <= at)
                    m_extraLedButtons.resize(at + 1);
                m_extraLedButtons[at] = button;
                ShowLedOn(button, 0xFFFFFFu, 255);
                if (!m_extraLedArea)
                    m_extraLedArea = page;
            }
            if (data.ok && data.prefix == "light_" && data.number < LedCapacity()) {
                AssignLedButton(data.number, button);
                ShowLedOn(button, 0xFFFFFFu, 255);
            }
            if (userData.compare(QStringLiteral("logo"), Qt::CaseInsensitive) == 0)
                m_logoButton = button;
        }
    }
    SetKeyLightArea(area);
    if (!area)
        return;
    if (QWidget* profiles = FindPageControl(QStringLiteral("DeviceProfileItem"))) {
        profiles->setProperty("deviceKind", static_cast<int>(DeviceKind::Mouse));
        profiles->setProperty("deviceFolder", UserDataFolder());
        profiles->setProperty("defaultProfilePath", DefaultProfilePath());
        connect(profiles, SIGNAL(profileSwitchRequested(QString)), this,
                SLOT(SwitchProfile(QString)), Qt::UniqueConnection);
        connect(profiles, SIGNAL(resetProfileReloadRequested()), this, SLOT(ReloadResetProfile()),
                Qt::UniqueConnection);
        connect(profiles, SIGNAL(functionPageRequested(int)), this, SLOT(ShowFunctionPage(int)),
                Qt::UniqueConnection);
    }
    LoadDefaultData();
    if (QWidget* panel = LightPanel()) {
        QStringList names;
        QVariantList visible;
        for (std::size_t i = 0; i < m_defaults.modeNames.size(); ++i) {
            names << QString::fromStdString(m_defaults.modeNames[i]);
            visible << (i < m_defaults.modeVisible.size() && m_defaults.modeVisible[i] != 0);
        }
        // the panel fills its list only for devices without one of their own: the mouse's
        // list, the lighting names of its light type, is handed over before its kind
        panel->setProperty("modeListWired", true);
        panel->setProperty("modeVisible", visible);
        panel->setProperty("modeNames", names);
        panel->setProperty("deviceKind", static_cast<int>(DeviceKind::Mouse));
    }
    if (QWidget* macros = FindPageControl(QStringLiteral("MacroControlItem")))
        macros->setProperty("macroFolder", UserDataFolder());
    SetUpKeyEditor(static_cast<int>(DeviceKind::Mouse), m_defaults.macroNames);
    if (QWidget* shoot = FindPageControl(QStringLiteral("ShootControlItem"));
        shoot && shoot->metaObject()->indexOfMethod("SetUp(QString,QString)") >= 0)
        QMetaObject::invokeMethod(shoot, "SetUp", Qt::DirectConnection,
                                  Q_ARG(QString, UserDataFolder()),
                                  Q_ARG(QString, DefaultDataFolder()));
    SelectSettingsPage(0);
}

void CCorvaneMouseDevice::SelectSettingsPage(int page) {
    auto* tabs = qobject_cast<QStackedWidget*>(FindPageControl(QString::fromLatin1(kSettingsTabs)));
    if (!tabs)
        return;
    if (page < 0 || page >= tabs->count())
        page = 0;
    tabs->setCurrentIndex(page);
    QWidget* options = FindPageControl(QString::fromLatin1(kSettingsOptions));
    if (!options)
        return;
    const QString selected = QStringLiteral("mouse_device_seting_option_%1").arg(page);
    for (QWidget* option : options->findChildren<QWidget*>()) {
        if (!ControlClassIs(option, QStringLiteral("OptionUI")))
            continue;
        CControlUI(option).Selected(ControlName(option) == selected, false);
    }
}

void CCorvaneMouseDevice::SetFunctionPage(int type) {
    CCorvaneUSBDevice::SetFunctionPage(type);
    if (QWidget* tip = FindPageControl(QStringLiteral("device_tishi_info")))
        tip->hide();
}

void CCorvaneMouseDevice::SelectKey(int index) {
    if (index < 0 || index >= kButtonCount)
        return;
    CCorvaneUSBDevice::SelectKey(index);
    OpenKeyEditor(m_keys[static_cast<std::size_t>(index)]);
}

void CCorvaneMouseDevice::ShowLightInfoOnPanel() {
    ShowLightRecordOnPanel(data::ToLightWords(m_lightInfo));
}

void CCorvaneMouseDevice::RefreshPanel() {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this] { RefreshPanel(); }, Qt::QueuedConnection);
        return;
    }
    LoadDefaultData();
    UpdateKeyCaptions();
    ShowLightInfoOnPanel();
    const int shown = std::min<int>(kDpiStageCount, static_cast<int>(m_stages.size()));
    for (int i = 0; i < shown; ++i) {
        const data::DpiStage& stage = m_stages[static_cast<std::size_t>(i)];
        ShowDpiStageEnabled(i, stage.stageActive != 0);
        ShowDpiValue(i, stage.stageDpiX);
        SetDpiColor(i, 0xFF000000u | (std::uint32_t{stage.stageColorR} << 16) |
                           (std::uint32_t{stage.stageColorG} << 8) | stage.stageColorB);
    }
    ShowPollingRate(data::HighHalf(m_settings[2]));
    ShowPointerSettings();
    emit panelRefreshed();
}

void CCorvaneMouseDevice::ShowPointerSettings() {
    // kept in the profile only; shown so that the page says what was chosen last
    const auto setValue = [this](const char* name, int value) {
        if (QWidget* control = FindPageControl(QString::fromLatin1(name)))
            CControlUI(control).SetValue(value);
    };
    setValue("double_click_slider", data::LowHalf(m_settings[0]));
    setValue("pointer_speed_slider", data::HighHalf(m_settings[0]));
    SelectOption(QStringLiteral("pointer_precision_check"), data::LowHalf(m_settings[1]) != 0);
    ShowScrollSettings(data::HighHalf(m_settings[1]) != 0, data::LowHalf(m_settings[2]));
    if (QWidget* list = FindPageControl(QStringLiteral("lift_off_correction_list"))) {
        QStringList lines;
        for (const data::CorrectEntry& entry : m_profile.GetCorrectInfo())
            lines << (entry.correctSelect != 0 ? QStringLiteral("\u25CF ")
                                               : QStringLiteral("\u25CB ")) +
                         QString::fromStdString(entry.correctName);
        CControlUI(list).SetText(lines.join(QLatin1Char('\n')));
    }
}

void CCorvaneMouseDevice::UpdateKeyCaptions() {
    const CSkinResources& skin = CSkinResources::Instance();
    QWidget* list = FindPageControl(QStringLiteral("device_setkeyinfo_list"));
    if (list && list->layout()) {
        for (QWidget* row : list->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            row->hide();
    }
    UpdateLogoTip();
    for (int j = 0; j < kButtonCount && j < static_cast<int>(m_keys.size()); ++j) {
        const std::optional<data::KeyCaption> caption = data::MakeKeyCaption(
            m_keys[static_cast<std::size_t>(j)].current.assignment, m_defaults.macroNames);
        QString text;
        if (caption) {
            text = QString::fromStdString(caption->literal);
            if (caption->literal.empty()) {
                QStringList parts;
                for (const std::string& id : caption->textIds)
                    parts << skin.Translate(QString::fromStdString(id));
                text = parts.join(QLatin1Char('+'));
            }
        }
        const QString own =
            skin.Translate(QString::fromLatin1(kButtonNames[static_cast<std::size_t>(j)]));
        QWidget* button = KeyButton(j);
        if (button) {
            button->setProperty("toolTitle", own);
            button->setToolTip(own + QStringLiteral(": ") + text);
        }
        if (!list || !list->layout())
            continue;
        // row j of the caption list, made when first needed
        const QString rowName = QStringLiteral("device_setkeyinfo_row_%1").arg(j);
        QWidget* row = list->findChild<QWidget*>(rowName, Qt::FindDirectChildrenOnly);
        if (!row) {
            row = new QWidget(list); // owned by the list
            row->setObjectName(rowName);
            row->setFixedHeight(kCaptionRowHeight);
            auto* layout = new QHBoxLayout(row);
            layout->setContentsMargins(0, 0, 0, 0);
            auto* title = new QLabel(row);
            title->setObjectName(QStringLiteral("device_setkeyinfo_title"));
            title->setFixedWidth(200);
            title->setStyleSheet(QStringLiteral("color: #FFFFFF;"));
            auto* value = new QLabel(row);
            value->setObjectName(QStringLiteral("device_setkeyinfo_text"));
            value->setFixedWidth(180);
            value->setStyleSheet(QStringLiteral("color: #0099FF;"));
            layout->addWidget(title);
            layout->addWidget(value);
            list->layout()->addWidget(row);
        }
        if (auto* title = row->findChild<QLabel*>(QStringLiteral("device_setkeyinfo_title")))
            title->setText(own);
        if (auto* value = row->findChild<QLabel*>(QStringLiteral("device_setkeyinfo_text")))
            value->setText(value->fontMetrics().elidedText(text, Qt::ElideRight, 180));
        row->setVisible(button && !button->isHidden());
    }
}

void CCorvaneMouseDevice::UpdateLogoTip() {
    if (!m_logoButton)
        return;
    const CSkinResources& skin = CSkinResources::Instance();
    const int mode = m_lightInfo.selectItem;
    QString modeName;
    if (mode <= 11 && mode < static_cast<int>(m_defaults.modeNames.size()))
        modeName = skin.Translate(
            QString::fromStdString(m_defaults.modeNames[static_cast<std::size_t>(mode)]));
    else if (mode >= 12 && mode - 12 < static_cast<int>(m_defaults.customLightNames.size()))
        modeName = QString::fromStdString(
            m_defaults.customLightNames[static_cast<std::size_t>(mode - 12)]);
    m_logoButton->setProperty("toolTitle", QStringLiteral("Logo"));
    m_logoButton->setToolTip(skin.Translate(QStringLiteral("Light_Set")) + QLatin1Char('\n') +
                             skin.Translate(QStringLiteral("Overall_Light_Set")) + modeName);
}

// --- DPI, polling and pointer controls ---------------------------------------------------

void CCorvaneMouseDevice::SelectOption(const QString& name, bool selected) {
    if (QWidget* control = FindPageControl(name))
        CControlUI(control).Selected(selected, false);
}

bool CCorvaneMouseDevice::IsOptionSelected(const QString& name) const {
    QWidget* control = FindPageControl(name);
    return control && CControlUI(control).IsSelected();
}

int CCorvaneMouseDevice::ControlValue(const QString& name) const {
    QWidget* control = FindPageControl(name);
    return control ? CControlUI(control).GetValue() : 0;
}

void CCorvaneMouseDevice::SetCurrentStage(int stage) {
    if (stage < 0 || stage >= kDpiStageCount)
        return;
    m_activeStage = stage;
    m_profile.SetActiveStage(stage);
    for (int n = 0; n < kDpiStageCount; ++n)
        SelectOption(QStringLiteral("DPI_select_check_%1").arg(n), n == stage);
}

bool CCorvaneMouseDevice::IsDpiStageEnabled(int stage) const {
    return IsOptionSelected(QStringLiteral("DPI_enable_check_%1").arg(stage));
}

void CCorvaneMouseDevice::ShowDpiStageEnabled(int stage, bool on) {
    if (QWidget* row = FindPageControl(QStringLiteral("DPI_layout_%1").arg(stage)))
        row->setEnabled(on);
    SelectOption(QStringLiteral("DPI_enable_check_%1").arg(stage), on);
    std::vector<QWidget*> selected;
    for (int n = 0; n < kDpiStageCount; ++n) {
        QWidget* option = FindPageControl(QStringLiteral("DPI_enable_check_%1").arg(n));
        if (!option)
            continue;
        if (on)
            option->setEnabled(n != m_activeStage);
        if (CControlUI(option).IsSelected())
            selected.push_back(option);
    }
    // the last stage switched on cannot be switched off
    if (!on && selected.size() == 1)
        selected.front()->setEnabled(false);
}

void CCorvaneMouseDevice::ShowDpiValue(int stage, int position) {
    const QString thumb = stage == m_activeStage ? QStringLiteral("Control/SliderBar1_Thumb.png")
                                                 : QStringLiteral("Control/SliderBar2_Thumb.png");
    if (QWidget* slider = FindPageControl(QStringLiteral("DPI_slider_%1").arg(stage))) {
        CControlUI(slider).SetValue(position);
        slider->setProperty("foreImage", QStringLiteral("Control/SliderBar_BK1.png"));
        slider->setProperty("thumbImage", thumb);
        slider->setProperty("thumbHotImage", thumb);
        slider->setProperty("thumbPushedImage", thumb);
    }
    if (QWidget* enable = FindPageControl(QStringLiteral("DPI_enable_check_%1").arg(stage))) {
        if (stage == m_activeStage)
            enable->setEnabled(false);
        else if (IsDpiStageEnabled(stage) || stage != m_activeStage)
            enable->setEnabled(true);
    }
    SelectOption(QStringLiteral("DPI_select_check_%1").arg(stage), stage == m_activeStage);
    // without a usable scale the DPI of a position is unknown: the box stays empty
    if (QWidget* edit = FindPageControl(QStringLiteral("DPI_edit_%1").arg(stage)))
        CControlUI(edit).SetText(m_scale.IsUsable() ? QString::number(m_scale.ToDpi(position))
                                                    : QString());
}

int CCorvaneMouseDevice::GetDpiSliderValue(int stage) const {
    return ControlValue(QStringLiteral("DPI_slider_%1").arg(stage));
}

std::optional<int> CCorvaneMouseDevice::ReadDpiEdit(int stage) const {
    QWidget* edit = FindPageControl(QStringLiteral("DPI_edit_%1").arg(stage));
    const QString text = edit ? CControlUI(edit).GetText() : QString();
    return m_scale.ToPosition(text.trimmed().toStdString());
}

std::uint32_t CCorvaneMouseDevice::GetDpiColor(int stage) const {
    QWidget* option = FindPageControl(QStringLiteral("DPI_color_option_%1").arg(stage));
    return option ? CControlUI(option).GetBkColor() : 0;
}

void CCorvaneMouseDevice::SetDpiColor(int stage, std::uint32_t argb) {
    if (QWidget* option = FindPageControl(QStringLiteral("DPI_color_option_%1").arg(stage)))
        CControlUI(option).SetBkColor(argb);
}

void CCorvaneMouseDevice::ShowPollingRate(int option) {
    if (option < 0 || option >= kPollingOptions)
        option = 0;
    for (int n = 0; n < kPollingOptions; ++n)
        SelectOption(QStringLiteral("polling_rate_option_%1").arg(n), n == option);
}

int CCorvaneMouseDevice::GetPointerSpeed() const {
    return ControlValue(QStringLiteral("pointer_speed_slider"));
}

bool CCorvaneMouseDevice::IsPointerPrecisionOn() const {
    return IsOptionSelected(QStringLiteral("pointer_precision_check"));
}

void CCorvaneMouseDevice::ShowScrollSettings(bool byPage, int lines) {
    SelectOption(QStringLiteral("scrolls_page_check"), byPage);
    if (QWidget* slider = FindPageControl(QStringLiteral("scroll_speed_slider")))
        CControlUI(slider).SetValue(lines);
}

bool CCorvaneMouseDevice::IsScrollByPage() const {
    return IsOptionSelected(QStringLiteral("scrolls_page_check"));
}

int CCorvaneMouseDevice::GetScrollSpeed() const {
    return ControlValue(QStringLiteral("scroll_speed_slider"));
}

int CCorvaneMouseDevice::GetDoubleClickValue() const {
    return ControlValue(QStringLiteral("double_click_slider"));
}

int CCorvaneMouseDevice::GetDoubleClickMax() const {
    auto* slider =
        qobject_cast<QAbstractSlider*>(FindPageControl(QStringLiteral("double_click_slider")));
    return slider ? slider->maximum() : 0;
}

// --- profile -----------------------------------------------------------------------------

void CCorvaneMouseDevice::SetProfilePaths() {
    m_profileName = ResolveProfileName(m_profileName, QString::fromLatin1(kFallbackProfileName));
    m_profile.SetDefaultPath(DefaultProfilePath().toStdString());
    const std::filesystem::path folder = UserFolderPath();
    if (folder.empty())
        return;
    m_profile.SetProfilePath(folder / (m_profileName.toStdString() + ".Json"));
    m_profile.SetLightConfigPath(folder / (std::string(kLightingFileBase) + ".config"));
}

void CCorvaneMouseDevice::SaveProfile() {
    if (!m_profile.Save())
        qCWarning(lcVpcDevices, "mouse profile not saved: %s", m_profile.GetProfilePath().c_str());
}

void CCorvaneMouseDevice::TakeStages(std::vector<data::DpiStage> stages, int active) {
    if (active < 0 || active >= kDpiStageCount)
        active = 0;
    // a profile with every stage off still leaves one on: the active one, as the mouse has it
    const int usable = std::min<int>(kDpiStageCount, static_cast<int>(stages.size()));
    const bool anyOn = std::any_of(stages.begin(), stages.begin() + usable,
                                   [](const data::DpiStage& s) { return s.stageActive != 0; });
    if (!anyOn && usable > 0)
        stages[static_cast<std::size_t>(std::min(active, usable - 1))].stageActive = 1;
    m_stages = std::move(stages);
    m_activeStage = active;
}

void CCorvaneMouseDevice::TakeProfileStages() {
    std::vector<data::DpiStage> stages = m_profile.GetDpiStages(); // reads the active stage too
    TakeStages(std::move(stages), m_profile.GetActiveStage());
}

void CCorvaneMouseDevice::LoadProfile() {
    if (const std::filesystem::path folder = UserFolderPath(); !folder.empty())
        data::CMacroStore(folder).Recover();
    SetProfilePaths();
    m_profile.Load(m_profile.GetProfilePath());
    m_profile.LoadLightConfig(m_profile.GetLightConfigPath());
    m_keys = PadMouseKeyList(m_profile.GetKeyList());
    ApplyLightSettings();
    TakeProfileStages();
    m_settings = m_profile.GetSystemStages();
}

void CCorvaneMouseDevice::ReloadProfile() {
    SetProfilePaths();
    m_profile.Load(m_profile.GetDefaultPath());
    m_keys = PadMouseKeyList(m_profile.GetKeyList());
    ApplyLightSettings();
    TakeProfileStages();
    m_settings = m_profile.GetSystemStages();
    SaveProfile();
    RefreshPanel();
}

void CCorvaneMouseDevice::SwitchProfile(const QString& profileId) {
    if (!data::IsSafeFileId(profileId.toStdString()))
        return;
    m_profileName = profileId;
    LoadProfile();
    ValidateMacroKeys();
    RefreshPanel();
    if (!LinkReady() || !m_configValid)
        return;
    WriteOnboardProfile(0, 0, 1, 0, 0);
    if (DownloadMacros(GetUsedMacros()) != 0)
        return;
    DownloadCurrentKeyAssignments(0);
}

void CCorvaneMouseDevice::ReloadResetProfile() {
    SwitchProfile(m_profileName);
}

void CCorvaneMouseDevice::SetLightType(int value) {
    CCorvaneUSBDevice::SetLightType(value);
    m_profile.SetRecordIndex(0);
    m_profile.SetLightType(value);
}

void CCorvaneMouseDevice::SetLightInfo(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2,
                                       std::uint32_t w3) {
    const data::LightInfo info = data::FromLightWords({w0, w1, w2, w3});
    m_lightInfo = info;
    m_profile.SetLightInfo(info);
    m_engine.SetRecord(ToRecord(info));
    HurryLightFrames();
}

void CCorvaneMouseDevice::SetKeyList(const std::vector<data::KeyEntry>& list) {
    m_keys = PadMouseKeyList(list);
    m_profile.SetKeyList(m_keys);
}

void CCorvaneMouseDevice::SetKeyAssignment(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2) {
    const int selected = SelectedKey();
    if (selected < 0 || selected >= static_cast<int>(m_keys.size()))
        return;
    data::KeyEntry entry = data::KeyEntry::FromWords(w0, w1, w2);
    entry.current.slot = static_cast<std::uint16_t>(selected);
    entry.defaults.slot = static_cast<std::uint16_t>(selected);
    m_keys[static_cast<std::size_t>(selected)] = entry;
    m_profile.SetKeyList(m_keys);
}

void CCorvaneMouseDevice::SetStages(const std::vector<data::DpiStage>& stages) {
    TakeStages(stages, m_activeStage);
    m_profile.SetDpiStages(m_stages);
}

void CCorvaneMouseDevice::SetMouseSettings(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2) {
    m_settings = {w0, w1, w2};
    m_profile.SetSystemStages(w0, w1, w2);
}

void CCorvaneMouseDevice::ValidateMacroKeys() {
    LoadDefaultData();
    const int macros = static_cast<int>(m_defaults.macroNames.size());
    if (keyboard::ResetStaleMacroKeys(m_keys, macros)) {
        SetKeyList(m_keys);
        UpdateKeyCaptions();
    }
}

std::vector<int> CCorvaneMouseDevice::GetUsedMacros() const {
    return keyboard::UsedMacros(m_buttonPositions, m_keys, keyboard::CountMacros(UserFolderPath()));
}

void CCorvaneMouseDevice::LoadDefaultData() {
    keyboard::LoadKeyboardDefaultData(m_defaults, UserFolderPath(),
                                      std::filesystem::path(DefaultDataFolder().toStdString()),
                                      GetLightType(), kLightingFileBase);
    SetDefaultLists(m_defaults.modeNames, m_defaults.macroNames, m_defaults.areaNames,
                    m_defaults.customLightNames);
    SetUpKeyEditor(static_cast<int>(DeviceKind::Mouse), m_defaults.macroNames);
}

// --- lighting ----------------------------------------------------------------------------

void CCorvaneMouseDevice::ApplyLightSettings() {
    data::LightInfo info = m_profile.GetLightInfo();
    info.light = lighting::ClampLevel(info.light);
    info.speed = lighting::ClampLevel(info.speed);
    m_lightInfo = info;
    m_engine.SetRecord(ToRecord(info));
    // the overlays of the profile are painted once; the next effect step paints over them
    {
        const std::lock_guard lock(LightListLock());
        OverlayList().clear();
    }
    const std::vector<lighting::EffectFrame> sequence = EngineSequence(m_profile.GetEffectFrames());
    m_engine.SetSequence(sequence);
    HurryLightFrames();
}

bool CCorvaneMouseDevice::LightFramesSettled() const {
    return m_engine.IsStill() && m_engine.FrameVersion() == m_shownFrameVersion.load();
}

void CCorvaneMouseDevice::SendLightFrame() {
    UpdateLightThreadGates();
    m_shownFrameVersion.store(m_engine.FrameVersion());
    for (std::size_t j = 0; j < m_extraLedButtons.size(); ++j) {
        QWidget* button = m_extraLedButtons[j];
        if (!button || !button->isVisible())
            continue;
        const lighting::LedColor c = m_light.GetLedColor(static_cast<int>(j));
        ShowLedOn(button, LedWord(c), c.brightness);
    }
    if (m_extraLedArea && IsPreviewEnabled())
        m_extraLedArea->update();
    if (m_logoButton && m_logoButton->isVisible() && m_logoLed != -1) {
        const lighting::LedColor c = m_light.GetLedColor(m_logoLed);
        ShowLedOn(m_logoButton, LedWord(c), c.brightness);
    }
    CCorvaneUSBDevice::SendLightFrame();
}

// --- device ------------------------------------------------------------------------------

bool CCorvaneMouseDevice::LinkReady() {
    if (!Channel().IsEnabled())
        return false;
    return !m_connection.IsOnReceiver() || Channel().QueryWirelessLink();
}

void CCorvaneMouseDevice::ReadDeviceConfig() {
    if (!LinkReady())
        return;
    std::array<std::uint8_t, kInfoBlockSize> info{};
    std::array<std::uint8_t, 512> table{};
    {
        const keyboard::CommandSession session(Channel());
        if (!session.IsOpen() || Channel().ReadInfoBlock(info.data()) != CCommandChannel::kOk) {
            qCWarning(lcVpcDevices, "mouse: information block not read");
            return;
        }
        const int keyCount = info[5];
        if (keyCount < 1 || keyCount * 3 > static_cast<int>(table.size()) ||
            !Channel().SetBlockSize(static_cast<std::uint16_t>(keyCount * 3)) ||
            Channel().ReadKeyTable(table.data()) != CCommandChannel::kOk) {
            qCWarning(lcVpcDevices, "mouse: key table not read (key count %d)", keyCount);
            return;
        }
    }
    SetInfoBlock(info.data(), info.size());
    m_keyCount = info[5];
    m_keyTable = table;
    m_configValid = true;
    m_buttonPositions = FindButtonPositions(m_keyTable, m_keyCount);
    m_scale = DpiScale::FromInfoBlock(info);
    if (!m_scale.IsUsable())
        qCWarning(lcVpcDevices,
                  "mouse: the DPI scale from the device is not usable (step %d, slider maximum "
                  "%d); the stages are shown as stored and DPI changes are refused",
                  int{m_scale.step}, int{m_scale.sliderMax});
    for (int i = 0; i < kDpiStageCount; ++i) {
        if (auto* slider = qobject_cast<QAbstractSlider*>(
                FindPageControl(QStringLiteral("DPI_slider_%1").arg(i))))
            slider->setRange(0, m_scale.sliderMax);
        if (QWidget* edit = FindPageControl(QStringLiteral("DPI_edit_%1").arg(i)))
            edit->setProperty("maxNumber", m_scale.EditMaximum());
    }
}

bool CCorvaneMouseDevice::ReadOnboardProfile() {
    SetSynchronised(false);
    MouseRecordBytes record{};
    std::uint8_t slot = m_onboardIndex.load();
    if (Channel().IsEnabled()) {
        if (m_connection.IsOnReceiver() && !Channel().QueryWirelessLink())
            return false;
        std::uint8_t active = 0;
        if (Channel().ReadParamMemory(&active, 1, 0) != CCommandChannel::kOk ||
            Channel().ReadParamMemory(record.data(), record.size(),
                                      static_cast<std::uint32_t>(active) * kRecordStride) !=
                CCommandChannel::kOk) {
            qCWarning(lcVpcDevices, "mouse: onboard record not read");
            return false;
        }
        slot = active;
    }
    if (m_defaults.modeNames.empty())
        LoadDefaultData();
    record[0] = slot;
    m_onboardIndex = slot;
    const MouseRecordState state = DecodeMouseRecord(record, m_defaults.modeValues);
    record[9] = 0;
    m_onboardRecord = record;
    data::LightInfo info = m_lightInfo; // the direction is not in the record
    info.selectItem = state.mode;
    info.light = state.brightness;
    info.speed = state.speed;
    info.multiColor = state.multiColor;
    info.red = state.red;
    info.green = state.green;
    info.blue = state.blue;
    m_lightInfo = info;
    m_engine.SetRecord(ToRecord(info));
    if (state.activeStage < kDpiStageCount) {
        m_activeStage = state.activeStage;
        m_profile.SetActiveStage(state.activeStage);
    } else {
        qCWarning(lcVpcDevices, "mouse: active DPI stage %d from the device ignored",
                  int{state.activeStage});
    }
    m_profile.SetLightInfo(m_lightInfo);
    SaveProfile();
    return true;
}

void CCorvaneMouseDevice::OnDeviceArrived() {
    ReadDeviceConfig();
    LoadProfile();
    RefreshPanel();
    StartLightThread(m_engine);
}

void CCorvaneMouseDevice::OnDeviceSync() {
    ReadOnboardProfile();
    RefreshPanel();
}

void CCorvaneMouseDevice::ReadDeviceStatus() {
    if (!Channel().IsEnabled() || IsStatusPollingPaused() || !Channel().QueryWirelessLink())
        return;
    CCorvaneUSBDevice::ReadDeviceStatus();
}

bool CCorvaneMouseDevice::CheckWirelessLink() {
    return Channel().IsEnabled() && m_connection.IsOnReceiver() && Channel().QueryWirelessLink();
}

void CCorvaneMouseDevice::OnNotificationUsage(ConnectionLink link, std::uint16_t usage) {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, link, usage] { OnNotificationUsage(link, usage); }, Qt::QueuedConnection);
        return;
    }
    constexpr std::uint16_t kSyncReread = 1025;
    constexpr std::uint16_t kSyncHold = 1027;
    m_lastSyncCode.store(usage);
    qCDebug(lcVpcDevices, "接收到自动添加设备的同步信息要求  TEST");
    if (usage == kSyncReread) {
        qCDebug(lcVpcDevices, "接收到自动添加设备的同步信息要求");
        CCorvaneUSBDevice::OnNotificationUsage(link, usage); // timer 1002: OnDeviceSync
        return;
    }
    if (usage == kSyncHold && link == ConnectionLink::Cable) {
        HoldAllLeds();
        return;
    }
    const int high = usage >> 8;
    if (usage <= kSyncReread || (high != 0x10 && high != 0x11) || !Channel().IsEnabled())
        return;
    m_onboardIndex = static_cast<std::uint8_t>(usage & 0x0F);
    if (high == 0x11) {
        // the stage the user picked on the mouse: kept in the record copy and shown
        const int stage = (usage >> 4) & 0x0F;
        m_onboardRecord[12] = static_cast<std::uint8_t>(stage);
        if (stage < kDpiStageCount) {
            SetCurrentStage(stage);
            SaveProfile();
        }
    }
    RefreshPanel();
}

int CCorvaneMouseDevice::WriteOnboardProfile(int slot, int value, int flag, int width, int height) {
    MouseRecordSource source;
    source.light = m_profile.GetLightInfo();
    source.stages = m_profile.GetDpiStages();
    source.activeStage =
        static_cast<std::uint8_t>(std::clamp(m_activeStage, 0, kDpiStageCount - 1));
    source.pollingOption = static_cast<std::uint8_t>(
        std::min<int>(data::HighHalf(m_profile.GetSystemStages()[2]), 255));
    source.corrections = m_profile.GetCorrectInfo();
    source.value = static_cast<std::uint8_t>(value);
    source.flag = static_cast<std::uint8_t>(flag);
    source.screenWidth = static_cast<std::uint16_t>(std::clamp(width, 0, 0xFFFF));
    source.screenHeight = static_cast<std::uint16_t>(std::clamp(height, 0, 0xFFFF));
    const MouseRecordImage image = EncodeMouseRecord(source);
    if (slot < 0 || slot >= 256)
        return 0;
    if (!LinkReady())
        return 0;
    if (Channel().BeginSession() != CCommandChannel::kOk)
        return 0;
    bool written = false;
    if (LinkReady())
        written = Channel().WriteParamMemory(image.data(), image.size(),
                                             static_cast<std::uint32_t>(slot) * kRecordStride) ==
                  CCommandChannel::kOk;
    // the session is always closed, also after a failed write
    const bool closed = Channel().EndSession() == CCommandChannel::kOk;
    return written && closed ? 1 : 0;
}

int CCorvaneMouseDevice::DownloadKeyAssignments(int slot, const std::vector<int>& keys) {
    std::vector<data::KeyEntry> list = m_keys;
    for (std::size_t i = 0; i < keys.size() && i < list.size(); ++i)
        list[i].current.assignment =
            data::KeyAssignment::FromCode(static_cast<std::uint32_t>(keys[i]));
    if (!m_configValid || !LinkReady())
        return 0;
    std::array<std::uint8_t, kInfoBlockSize> info{};
    if (Channel().ReadInfoBlock(info.data()) != CCommandChannel::kOk)
        return 0;
    if (info[5] != m_keyCount) {
        qCWarning(lcVpcDevices, "mouse: key count changed from %d to %d; key table not written",
                  m_keyCount, int{info[5]});
        m_configValid = false;
        return 0;
    }
    const keyboard::KeyTableImage image = keyboard::BuildKeyTableImage(
        m_keyTable, m_keyCount, m_buttonPositions, list, keyboard::CountMacros(UserFolderPath()));
    if (image.bytes.empty())
        return 0;
    if (Channel().BeginSession() != CCommandChannel::kOk)
        return 0;
    bool written = false;
    if (LinkReady() && Channel().SetBlockSize(static_cast<std::uint16_t>(m_keyCount * 3))) {
        std::array<std::uint8_t, 512> buffer{};
        std::copy(image.bytes.begin(), image.bytes.end(), buffer.begin());
        written = Channel().WriteKeyTable(buffer.data(), slot) == CCommandChannel::kOk;
    }
    const bool closed = Channel().EndSession() == CCommandChannel::kOk;
    return written && closed ? 1 : 0;
}

int CCorvaneMouseDevice::DownloadMacros(const std::vector<int>& macroIndexes) {
    if (!LinkReady())
        return CCommandChannel::kNotWritten;
    const keyboard::MacroDownloadResult download =
        keyboard::DownloadMacroImage(Channel(), UserFolderPath(), macroIndexes);
    if (download.infoRead)
        SetInfoBlock(download.info.data(), download.info.size());
    const bool tooLong = std::any_of(download.halfCounts.begin(), download.halfCounts.end(),
                                     [](int half) { return half >= 128; });
    return tooLong ? CCommandChannel::kNotWritten : download.result;
}

QString CCorvaneMouseDevice::DownloadShootData() {
    if (!Channel().IsEnabled())
        return QStringLiteral("The mouse is not connected.");
    if (!LinkReady())
        return QStringLiteral("The mouse does not answer through its receiver.");
    std::array<std::uint8_t, kInfoBlockSize> info{};
    if (Channel().ReadInfoBlock(info.data()) == CCommandChannel::kOk)
        SetInfoBlock(info.data(), info.size());
    const data::shoot::CShootStore store(UserFolderPath(),
                                         std::filesystem::path(DefaultDataFolder().toStdString()));
    const data::shoot::CShootStore::Image image = store.BuildImage();
    if (!image.error.empty())
        return QString::fromStdString(image.error);
    if (!LinkReady())
        return QStringLiteral("The mouse does not answer through its receiver.");
    const keyboard::CommandSession session(Channel());
    if (!session.IsOpen())
        return QStringLiteral("The mouse did not start the transfer.");
    if (!LinkReady())
        return QStringLiteral("The mouse does not answer through its receiver.");
    if (Channel().WriteShootData(image.bytes.data(), image.bytes.size()) != CCommandChannel::kOk)
        return QStringLiteral("The mouse did not take the recoil patterns.");
    return {};
}

int CCorvaneMouseDevice::DownloadCurrentKeyAssignments(int slot) {
    std::vector<int> codes;
    for (const data::KeyEntry& entry : m_keys)
        codes.push_back(static_cast<int>(entry.current.assignment.ToCode()));
    return DownloadKeyAssignments(slot, codes);
}

} // namespace vpc::devices
