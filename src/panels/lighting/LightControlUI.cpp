#include "LightControlUI.h"

#include "ColorPaletteUI.h"
#include "ControlFactory.h"
#include "CurrentPageSizing.h"
#include "DeviceTypes.h"
#include "LightModeLayout.h"
#include "LightRecordWords.h"
#include "SilentScope.h"
#include "SkinResources.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDynamicPropertyChangeEvent>
#include <QListView>
#include <QStackedWidget>
#include <QTabWidget>
#include <algorithm>
#include <utility>

namespace vpc::panels {

namespace {

constexpr int kModeHiddenRole = Qt::UserRole + 1;
constexpr int kZZCCModes = 4;
constexpr int kCustomGroupItems = 8;

std::uint8_t ByteOf(std::uint32_t word, int index) {
    return static_cast<std::uint8_t>(word >> (8 * index));
}

QString Translate(const QString& id) {
    return CSkinResources::Instance().Translate(id);
}

void FillNumberedItems(QComboBox* combo, const char* textId, int count) {
    if (!combo || combo->count() > 0)
        return;
    const SilentScope silent;
    for (int i = 0; i < count; ++i) {
        const QString id = QString::fromLatin1(textId);
        combo->addItem(CSkinResources::Instance().ItemText(id, i + 1), QString::number(i));
        // the item follows a change of language
        combo->setItemData(i, id, CSkinResources::kItemTextIdRole);
        combo->setItemData(i, i + 1, CSkinResources::kItemTextArgRole);
    }
}

} // namespace

void PaintSwatch(QWidget* button, std::uint32_t argb) {
    if (!button)
        return;
    CControlUI(button).SetBkColor(argb);
    const QColor c = QColor::fromRgb((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
    button->setStyleSheet(QStringLiteral("background-color: %1;").arg(c.name()));
}

CLightControlUI::CLightControlUI(QWidget* parent)
    : CSkinPanelUI(kLayout, "Lighting panel", parent) {
    setProperty("controlClass", QString::fromLatin1(kClassText));
}

void CLightControlUI::OnContentBuilt() {
    // the colour pages are as tall as the one shown, so the panel fits its device page
    for (QStackedWidget* pages : Content()->findChildren<QStackedWidget*>())
        CCurrentPageSizing::Install(pages);
    PaintPresetButtons();
    FillNumberedItems(Part(QStringLiteral("light_combo_ZZCCmodeSelect")).as<QComboBox>(),
                      "light_zzcc_mode_text", kZZCCModes);
    FillNumberedItems(Part(QStringLiteral("light_combo_custommodeSelect")).as<QComboBox>(),
                      "light_custom_group_text", kCustomGroupItems);
    FillNumberedItems(Part(QStringLiteral("light_combo_audiomodeSelect")).as<QComboBox>(),
                      "light_audio_mode_text", kMusicVariants);
    // what the device said while there were no controls, in its order
    const std::vector<QByteArray> deferred = std::exchange(m_deferred, {});
    for (const QByteArray& what : deferred) {
        if (what == "record")
            ShowLightInfo(m_deferredRecord[0], m_deferredRecord[1], m_deferredRecord[2]);
        else
            OnDeviceProperty(what);
    }
    SetModeLayout(GetMode());
}

void CLightControlUI::Defer(const QByteArray& what) {
    // the mode list's three properties are one refill
    const QByteArray key =
        what == "modeVisible" || what == "modeListWired" ? QByteArray("modeNames") : what;
    m_deferred.erase(std::remove(m_deferred.begin(), m_deferred.end(), key), m_deferred.end());
    m_deferred.push_back(key);
}

void CLightControlUI::ShowLightRecord(uint word0, uint word1, uint word2) {
    if (!IsContentBuilt()) {
        m_deferredRecord = {word0, word1, word2};
        Defer("record");
        return;
    }
    ShowLightInfo(word0, word1, word2);
}

void CLightControlUI::PaintPresetButtons() {
    for (QWidget* child : Content()->findChildren<QWidget*>()) {
        const QString colour = child->property("presetColor").toString();
        if (colour.isEmpty())
            continue;
        const QColor c(colour);
        if (c.isValid())
            PaintSwatch(child, 0xFF000000u | (c.rgb() & 0xFFFFFFu));
    }
}

const char* CLightControlUI::ColorEditName(int component) {
    switch (component) {
    case kRed:
        return "deng_edit_R";
    case kGreen:
        return "deng_edit_G";
    case kBlue:
        return "deng_edit_B";
    default:
        return nullptr;
    }
}

CControlUI CLightControlUI::Part(const QString& name) const {
    QWidget* content = Content();
    const QString key = name.toLower();
    const auto cached = m_parts.constFind(key);
    if (cached != m_parts.constEnd() && !cached.value().isNull())
        return CControlUI(cached.value());
    if (!content)
        return {};
    QWidget* found = nullptr;
    if (ControlName(content).compare(name, Qt::CaseInsensitive) == 0)
        found = content;
    for (QWidget* child : content->findChildren<QWidget*>()) {
        if (found)
            break;
        if (ControlName(child).compare(name, Qt::CaseInsensitive) == 0)
            found = child;
    }
    if (found)
        m_parts.insert(key, found);
    return CControlUI(found);
}

CControlUI CLightControlUI::Group(const char* name) const {
    QWidget* content = Content();
    if (!content)
        return {};
    const QString wanted = QString::fromLatin1(name);
    for (QWidget* child : content->findChildren<QWidget*>()) {
        if (ControlName(child).compare(wanted, Qt::CaseInsensitive) == 0)
            return CControlUI(child);
    }
    return {};
}

// --- mode list ---------------------------------------------------------------------------

void CLightControlUI::FillModeList(const QStringList& names, const std::vector<bool>& visible,
                                   int brightnessMaximum, int speedMaximum) {
    // a mouse's list is its own (its light type's names, from its properties)
    if (m_deviceKind != kMouseType)
        FillModes(names, visible, false, brightnessMaximum, speedMaximum);
}

void CLightControlUI::FillModeListNoStreaming(const QStringList& names,
                                              const std::vector<bool>& visible,
                                              int brightnessMaximum, int speedMaximum) {
    if (m_deviceKind != kMouseType)
        FillModes(names, visible, true, brightnessMaximum, speedMaximum);
}

void CLightControlUI::FillModes(const QStringList& names, const std::vector<bool>& visible,
                                bool noStreaming, int brightnessMaximum, int speedMaximum) {
    auto* combo = Part(QStringLiteral("light_combo_modeSelect")).as<QComboBox>();
    if (combo) {
        const SilentScope silent;
        const int shownBefore = combo->currentIndex();
        combo->clear();
        auto* view = qobject_cast<QListView*>(combo->view());
        for (int i = 0; i < names.size(); ++i) {
            combo->addItem(Translate(names[i]), names[i]);
            combo->setItemData(i, names[i], CSkinResources::kItemTextIdRole);
            combo->setItemData(i, QSize(0, kModeItemHeight), Qt::SizeHintRole);
            const bool streaming = i == kMusicMode || i == kScreenColorMode;
            const bool hidden = (noStreaming && streaming) ||
                                static_cast<std::size_t>(i) >= visible.size() ||
                                !visible[static_cast<std::size_t>(i)];
            combo->setItemData(i, hidden, kModeHiddenRole);
            if (view)
                view->setRowHidden(i, hidden);
        }
        // Filling the list is not a choice of the user: no notification, so the device is not
        // switched to mode 1 on every connection. The mode shown before (or the one the device
        // gave) is shown again.
        CControlUI(combo).SelectItem(names.size() > 1 ? 1 : names.size() - 1, false);
        const QVariant given = property("lightMode");
        const int shown = shownBefore >= 0 ? shownBefore : given.isValid() ? given.toInt() : -1;
        if (shown >= 0 && shown < names.size())
            ShowMode(shown);
        else
            SetModeLayout(GetMode());
    }
    Part(QStringLiteral("deng_light_slider")).SetMaxValue(brightnessMaximum);
    if (CControlUI speed = Part(QStringLiteral("deng_speed_slider")))
        speed.SetMaxValue(speedMaximum);
}

bool CLightControlUI::IsModeItemVisible(int item) const {
    auto* combo = Part(QStringLiteral("light_combo_modeSelect")).as<QComboBox>();
    if (!combo || item < 0 || item >= combo->count())
        return false;
    return !combo->itemData(item, kModeHiddenRole).toBool();
}

// --- showing the record ------------------------------------------------------------------

void CLightControlUI::ShowLightInfo(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2) {
    ShowMode(ByteOf(word0, 0));
    SetBrightness(ByteOf(word0, 1));
    SetSpeed(ByteOf(word0, 2));
    const std::uint32_t colour = 0xFF000000u | (std::uint32_t{ByteOf(word1, 1)} << 16) |
                                 (std::uint32_t{ByteOf(word1, 2)} << 8) | ByteOf(word1, 3);
    ShowColorComponents(colour);
    SetPaletteColor(colour);
    SetMultiColor(ByteOf(word1, 0) != 0);
    SetDirection(ByteOf(word0, 3));
    ShowZZCCMode(ByteOf(word2, 3));
    SetModeLayout(ByteOf(word0, 0));
}

void CLightControlUI::ShowColorComponents(std::uint32_t argb) {
    SetColorText(kRed, QString::number((argb >> 16) & 0xFF));
    SetColorText(kGreen, QString::number((argb >> 8) & 0xFF));
    SetColorText(kBlue, QString::number(argb & 0xFF));
    PaintSwatch(Part(QStringLiteral("deng_colordp_btn")).widget(), argb);
}

void CLightControlUI::ShowMode(int mode) {
    Part(QStringLiteral("light_combo_modeSelect")).SelectItem(mode, false);
    SetModeLayout(mode);
}

int CLightControlUI::GetMode() const {
    const CControlUI combo = Part(QStringLiteral("light_combo_modeSelect"));
    return combo ? combo.GetCurSel() : -1;
}

void CLightControlUI::ShowCustomGroup(int group) {
    Part(QStringLiteral("light_combo_custommodeSelect")).SelectItem(group, false);
}

int CLightControlUI::GetCustomGroup() const {
    const CControlUI combo = Part(QStringLiteral("light_combo_custommodeSelect"));
    return combo ? combo.GetCurSel() : -1;
}

void CLightControlUI::ShowZZCCMode(int mode) {
    Part(QStringLiteral("light_combo_ZZCCmodeSelect")).SelectItem(mode, false);
}

int CLightControlUI::GetZZCCMode() const {
    const CControlUI combo = Part(QStringLiteral("light_combo_ZZCCmodeSelect"));
    return combo ? combo.GetCurSel() : -1;
}

void CLightControlUI::SetBrightness(int value) {
    const SilentScope silent;
    Part(QStringLiteral("deng_light_slider")).SetValue(value);
}

int CLightControlUI::GetBrightness() const {
    const CControlUI slider = Part(QStringLiteral("deng_light_slider"));
    return slider ? slider.GetValue() : 0;
}

void CLightControlUI::SetSpeed(int value) {
    const SilentScope silent;
    Part(QStringLiteral("deng_speed_slider")).SetValue(value);
}

int CLightControlUI::GetSpeed() const {
    const CControlUI slider = Part(QStringLiteral("deng_speed_slider"));
    return slider ? slider.GetValue() : 0;
}

void CLightControlUI::SetColorText(int component, const QString& text) {
    if (const char* name = ColorEditName(component))
        Part(QString::fromLatin1(name)).SetText(text);
}

QString CLightControlUI::GetColorText(int component) const {
    const char* name = ColorEditName(component);
    return name ? Part(QString::fromLatin1(name)).GetText() : QString();
}

void CLightControlUI::SetPaletteColor(std::uint32_t argb) {
    CControlUI palette = Part(QStringLiteral("deng_Color_Pallet"));
    if (!palette)
        return;
    palette.SetSelectColor(argb);
    PaintSwatch(Part(QStringLiteral("deng_colordp_btn")).widget(), argb);
}

std::uint32_t CLightControlUI::GetPaletteColor() const {
    const CControlUI palette = Part(QStringLiteral("deng_Color_Pallet"));
    return palette ? palette.GetSelectColor() : 0xFF000000u;
}

std::uint32_t CLightControlUI::GetPresetColor(int n) const {
    const CControlUI button = Part(QStringLiteral("color_option_%1").arg(n));
    return button ? button.GetBkColor() : 0;
}

void CLightControlUI::SetMultiColor(bool on) {
    Part(QStringLiteral("deng_7color_check")).Selected(on, false);
}

bool CLightControlUI::GetMultiColor() const {
    return Part(QStringLiteral("deng_7color_check")).IsSelected();
}

void CLightControlUI::SetDirection(int direction) {
    Part(QStringLiteral("deng_FXL_check")).Selected(direction != 0, false);
    Part(QStringLiteral("deng_FXR_check")).Selected(direction == 0, false);
}

void CLightControlUI::SetSameModeAllowed(bool allowed) {
    m_sameModeAllowed = allowed;
    if (IsContentBuilt()) // else the layout is set when the controls are built
        SetModeLayout(GetMode());
}

// --- mode layouts ------------------------------------------------------------------------

void CLightControlUI::SetModeLayout(int mode) {
    const ModeLayout layout = ModeLayoutFor(m_deviceKind, mode, m_sameModeAllowed);
    for (int i = 0; i < kModeGroupCount; ++i) {
        const GroupState state = layout.enabled[static_cast<std::size_t>(i)];
        if (state != GroupState::Keep)
            Group(kModeGroupNames[static_cast<std::size_t>(i)]).SetEnabled(state == GroupState::On);
    }
    const auto show = [this](const char* name, GroupState state) {
        if (state != GroupState::Keep)
            Group(name).SetVisible(state == GroupState::On);
    };
    show("deng_speed_layout", layout.speedShown);
    show("lightcustom_layout", layout.customShown);
    show("light_combo_ZZCCmodeSelectLayout", layout.zzccShown);
    show("light_combo_AudiomodeSelectLayout", layout.audioShown);
    show("deng_same_mode", layout.sameModeShown);
    // the colour weights of the screen's edges: for the keypad's streamed modes, so that they
    // can be set while the screen colours are shown too
    Group("screen_color_weight_layout")
        .SetVisible(m_deviceKind == kKeyboardType &&
                    (mode == kMusicMode || mode == kScreenColorMode));
    if (layout.colorTabPage >= 0) {
        QWidget* tabs = Group("light_color_tablayout").widget();
        if (auto* stack = qobject_cast<QStackedWidget*>(tabs))
            stack->setCurrentIndex(std::min(layout.colorTabPage, stack->count() - 1));
        else if (auto* tab = qobject_cast<QTabWidget*>(tabs))
            tab->setCurrentIndex(std::min(layout.colorTabPage, tab->count() - 1));
    }
    if (layout.fxlText) {
        Part(QStringLiteral("deng_FXL_check")).SetTextId(QString::fromLatin1(layout.fxlText));
        Part(QStringLiteral("deng_FXR_check")).SetTextId(QString::fromLatin1(layout.fxrText));
    }
}

// --- the device's properties -------------------------------------------------------------

bool CLightControlUI::event(QEvent* event) {
    if (event->type() == QEvent::DynamicPropertyChange) {
        const QByteArray name = static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName();
        if (IsContentBuilt())
            OnDeviceProperty(name);
        else if (name == "deviceKind")
            SetDeviceKind(property(name.constData()).toInt());
        else if (name != "controlClass")
            Defer(name);
    }
    return QWidget::event(event);
}

void CLightControlUI::RefillFromProperties() {
    const QStringList names = property("modeNames").toStringList();
    const QVariantList flags = property("modeVisible").toList();
    std::vector<bool> visible;
    for (const QVariant& flag : flags)
        visible.push_back(flag.toBool());
    visible.resize(static_cast<std::size_t>(names.size()), false);
    // the device's own list, whatever its kind and whenever the panel is built
    const QVariant wired = property("modeListWired");
    FillModes(names, visible, wired.isValid() && !wired.toBool(), kLevelMaximum, kLevelMaximum);
}

void CLightControlUI::OnDeviceProperty(const QByteArray& name) {
    const QVariant value = property(name.constData());
    if (!value.isValid())
        return;
    if (name == "deviceKind") {
        SetDeviceKind(value.toInt());
    } else if (name == "modeNames" || name == "modeVisible" || name == "modeListWired") {
        RefillFromProperties();
    } else if (name == "lightMode") {
        ShowMode(value.toInt());
    } else if (name == "lightBrightness") {
        SetBrightness(value.toInt());
    } else if (name == "lightSpeed") {
        SetSpeed(value.toInt());
    } else if (name == "lightDirection") {
        SetDirection(value.toInt());
    } else if (name == "lightMultiColor") {
        SetMultiColor(value.toInt() != 0);
    } else if (name == "lightColor") {
        const std::uint32_t argb = 0xFF000000u | (value.toUInt() & 0xFFFFFFu);
        ShowColorComponents(argb);
        SetPaletteColor(argb);
    } else if (name == "lightZZCCMode") {
        ShowZZCCMode(value.toInt());
    } else if (name == "customGroup") {
        ShowCustomGroup(value.toInt());
    } else if (name == "audioMode" || name == "audioForeground" || name == "audioBackground") {
        ShowMusicFromProperties();
    }
}

// --- music settings ------------------------------------------------------------------------

void CLightControlUI::ShowMusicFromProperties() {
    const auto word = [this](const char* name) {
        return static_cast<std::uint32_t>(property(name).toLongLong() & 0xFFFFFFFFLL);
    };
    ShowMusicSettings(word("audioMode"), word("audioForeground"), word("audioBackground"));
}

const char* CLightControlUI::MusicColorEditName(int component) {
    switch (component) {
    case kRed:
        return "deng_audioedit_R";
    case kGreen:
        return "deng_audioedit_G";
    case kBlue:
        return "deng_audioedit_B";
    default:
        return nullptr;
    }
}

void CLightControlUI::ShowMusicSettings(std::uint32_t word0, std::uint32_t word1,
                                        std::uint32_t word2) {
    m_musicWords = {word0, word1, word2};
    const MusicSettings settings = MusicSettings::FromWords(m_musicWords);
    CControlUI variants = Part(QStringLiteral("light_combo_audiomodeSelect"));
    CControlUI background = Part(QStringLiteral("audio_BkColor_check"));
    CControlUI foreground = Part(QStringLiteral("audio_FgColor_check"));
    CControlUI sevenColor = Part(QStringLiteral("deng_7audiocolor_check"));
    if (!variants || !background || !foreground || !sevenColor) {
        qWarning(" SetAudioLightInfo control is NULL");
        return;
    }
    variants.SelectItem(settings.variant, false);
    background.Selected(!settings.editsForeground, false);
    foreground.Selected(settings.editsForeground, false);
    sevenColor.SetEnabled(settings.editsForeground);
    sevenColor.Selected(settings.editsForeground && settings.sevenColor, false);
    const std::uint32_t argb = settings.EditedColor();
    for (int c = kRed; c <= kBlue; ++c)
        SetMusicColorText(c, QString::number((argb >> (16 - 8 * c)) & 0xFF));
    if (CControlUI palette = Part(QStringLiteral("deng_audioColor_Pallet")))
        palette.SetSelectColor(argb);
    PaintSwatch(Part(QStringLiteral("deng_audiocolordp_btn")).widget(), argb);
    const bool colorsUsed = settings.variant != kMusicVariantWithoutColors;
    Part(QStringLiteral("light_audiocolor_layout")).SetEnabled(colorsUsed);
    Part(QStringLiteral("audiocolorpallet_layout")).SetEnabled(colorsUsed);
}

MusicWords CLightControlUI::ReadMusicSettings(bool takeColor) {
    const CControlUI variants = Part(QStringLiteral("light_combo_audiomodeSelect"));
    const CControlUI background = Part(QStringLiteral("audio_BkColor_check"));
    const CControlUI foreground = Part(QStringLiteral("audio_FgColor_check"));
    const CControlUI sevenColor = Part(QStringLiteral("deng_7audiocolor_check"));
    const CControlUI swatch = Part(QStringLiteral("deng_audiocolordp_btn"));
    if (!variants || !background || !foreground || !sevenColor || !swatch) {
        qWarning("GetAudioLightInfo control is NULL");
        return m_musicWords;
    }
    MusicSettings settings = MusicSettings::FromWords(m_musicWords);
    settings.variant = static_cast<std::uint8_t>(std::clamp(variants.GetCurSel(), 0, 255));
    settings.sevenColor = sevenColor.IsSelected();
    // the check that became selected wins
    if (settings.editsForeground)
        settings.editsForeground = !background.IsSelected();
    else
        settings.editsForeground = !(background.IsSelected() && !foreground.IsSelected());
    if (takeColor)
        settings.SetEditedColor(swatch.GetBkColor());
    m_musicWords = settings.ToWords();
    return m_musicWords;
}

std::uint32_t CLightControlUI::GetMusicPresetColor(int n) const {
    const CControlUI button = Part(QStringLiteral("audiocolor_option_%1").arg(n));
    return button ? button.GetBkColor() : 0;
}

std::uint32_t CLightControlUI::GetMusicPaletteColor() const {
    const CControlUI palette = Part(QStringLiteral("deng_audioColor_Pallet"));
    return palette ? palette.GetSelectColor() : 0xFF000000u;
}

QString CLightControlUI::GetMusicColorText(int component) const {
    const char* name = MusicColorEditName(component);
    return name ? Part(QString::fromLatin1(name)).GetText() : QString();
}

void CLightControlUI::SetMusicColorText(int component, const QString& text) {
    if (const char* name = MusicColorEditName(component))
        Part(QString::fromLatin1(name)).SetText(text);
}

// --- helpers -----------------------------------------------------------------------------

CLightControlUI* LightPanelOf(QWidget* device) {
    if (!device)
        return nullptr;
    if (auto* panel = qobject_cast<CLightControlUI*>(device))
        return panel;
    return device->findChild<CLightControlUI*>();
}

void RegisterLightingControls() {
    CControlFactory& factory = CControlFactory::Instance();
    factory.RegisterControl(QString::fromLatin1(CLightControlUI::kRegisteredName),
                            [] { return new CLightControlUI(); });
    factory.RegisterControl(QString::fromLatin1(CColorPaletteUI::kRegisteredName),
                            [] { return new CColorPaletteUI(); });
}

void OfferSynchronisedLighting(QWidget* root, bool offered) {
    if (!root)
        return;
    for (CLightControlUI* panel : root->findChildren<CLightControlUI*>())
        panel->SetSameModeAllowed(offered);
}

} // namespace vpc::panels
