#include "HeadsetPanels.h"

#include "ControlFactory.h"
#include "DialogBuilder.h"
#include "SilentScope.h"
#include "SkinResources.h"

#include <QComboBox>
#include <QHBoxLayout>

namespace vpc::panels {

namespace {

QWidget* BuildContent(QWidget* panel, const char* layoutName) {
    auto* layout = new QHBoxLayout(panel); // owned by the panel
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget* content = CDialogBuilder::Create(QString::fromLatin1(layoutName), {}, panel);
    if (!content) {
        qWarning("Headset panel: %s", qPrintable(CDialogBuilder::LastError()));
        return nullptr;
    }
    layout->addWidget(content);
    return content;
}

CControlUI FindPart(QWidget* content, const QString& name) {
    if (!content)
        return CControlUI();
    return CControlUI(content->findChild<QWidget*>(name));
}

int ValueOr(const CControlUI& control, int missing) {
    return control ? control.GetValue() : missing;
}

} // namespace

// --- voice panel -------------------------------------------------------------------------------

CVoice6533ControlUI::CVoice6533ControlUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kRegisteredName));
    m_content = BuildContent(this, kLayout);
}

CControlUI CVoice6533ControlUI::Part(const QString& name) const {
    return FindPart(m_content, name);
}

void CVoice6533ControlUI::ShowEqType(int eqType) {
    for (int n = 1; n <= kEqOptions; ++n)
        Part(QStringLiteral("6533_eq_option_%1").arg(n)).Selected(n == eqType, false);
    m_eqType = eqType >= 1 && eqType <= kEqOptions ? eqType : 0;
}

void CVoice6533ControlUI::EnableCustomEq(bool on) {
    Part(QStringLiteral("custom_eq_option_layout")).SetEnabled(on);
}

void CVoice6533ControlUI::SetBandValue(int band, int value) {
    if (CControlUI slider = Part(QStringLiteral("6533_eq_hz_slider_%1").arg(band)))
        slider.SetValue(value);
}

int CVoice6533ControlUI::GetBandValue(int band) const {
    return ValueOr(Part(QStringLiteral("6533_eq_hz_slider_%1").arg(band)), -1);
}

void CVoice6533ControlUI::ShowMicIn(bool on) {
    Part(QStringLiteral("6533_MicIn_option")).Selected(on, false);
}

void CVoice6533ControlUI::ShowMonitor(bool on) {
    Part(QStringLiteral("6533_MicMoniter_option")).Selected(on, false);
}

void CVoice6533ControlUI::ShowMicInValue(int value) {
    if (CControlUI slider = Part(QStringLiteral("6533_MicIn_slider")))
        slider.SetValue(value);
}

void CVoice6533ControlUI::ShowMonitorValue(int value) {
    if (CControlUI slider = Part(QStringLiteral("6533_MicMoniter_slider")))
        slider.SetValue(value);
}

int CVoice6533ControlUI::GetMicInValue() const {
    return ValueOr(Part(QStringLiteral("6533_MicIn_slider")), -1);
}

int CVoice6533ControlUI::GetMonitorValue() const {
    return ValueOr(Part(QStringLiteral("6533_MicMoniter_slider")), -1);
}

void CVoice6533ControlUI::SetCustomEqName(const QString& name) {
    Part(QStringLiteral("custom_eq_name_edit")).SetText(name);
}

QString CVoice6533ControlUI::GetCustomEqName() const {
    return Part(QStringLiteral("custom_eq_name_edit")).GetText();
}

void CVoice6533ControlUI::ShowCustomEqNames(const QStringList& names, int selected) {
    if (auto* combo = Part(QStringLiteral("custom_eq_name_combo")).as<QComboBox>()) {
        const SilentScope silent;
        combo->clear();
        for (const QString& name : names)
            combo->addItem(name, name);
    }
    SelectCustomEq(selected);
}

int CVoice6533ControlUI::GetCustomEqSelection() const {
    const CControlUI combo = Part(QStringLiteral("custom_eq_name_combo"));
    return combo ? combo.GetCurSel() : -1;
}

int CVoice6533ControlUI::GetCustomEqCount() const {
    const CControlUI combo = Part(QStringLiteral("custom_eq_name_combo"));
    return combo ? combo.GetCount() : 0;
}

void CVoice6533ControlUI::SelectCustomEq(int index) {
    if (auto* combo = Part(QStringLiteral("custom_eq_name_combo")).as<QComboBox>()) {
        const SilentScope silent;
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    }
    SetCustomEqName(QString());
}

// --- voice changer panel ------------------------------------------------------------------------

CMagicControlUI::CMagicControlUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kRegisteredName));
    m_content = BuildContent(this, kLayout);
}

CControlUI CMagicControlUI::Part(const QString& name) const {
    return FindPart(m_content, name);
}

void CMagicControlUI::ShowMagicSupported(bool supported) {
    m_supported = supported;
    Part(QStringLiteral("magic_enable_option")).SetEnabled(supported);
    if (CControlUI reason = Part(QStringLiteral("magic_unsupported_label")))
        reason.SetVisible(!supported);
    if (!supported)
        EnableMagicOptions(false);
}

void CMagicControlUI::EnableMagicOptions(bool on) {
    Part(QStringLiteral("magic_option_layout")).SetEnabled(on && m_supported);
}

void CMagicControlUI::ShowMagicEnabled(bool on) {
    Part(QStringLiteral("magic_enable_option")).Selected(on, false);
    EnableMagicOptions(on);
}

bool CMagicControlUI::IsMagicEnabled() const {
    const CControlUI option = Part(QStringLiteral("magic_enable_option"));
    return option && option.IsSelected();
}

void CMagicControlUI::ShowMagicType(int type) {
    for (int n = 1; n <= kTypes; ++n)
        Part(QStringLiteral("magic_option_%1").arg(n)).Selected(n == type, false);
    m_type = type >= 1 && type <= kTypes ? type : 0;
}

void RegisterHeadsetControls() {
    CControlFactory& factory = CControlFactory::Instance();
    factory.RegisterControl(QString::fromLatin1(CVoice6533ControlUI::kRegisteredName),
                            [] { return new CVoice6533ControlUI(); });
    factory.RegisterControl(QString::fromLatin1(CMagicControlUI::kRegisteredName),
                            [] { return new CMagicControlUI(); });
}

} // namespace vpc::panels
