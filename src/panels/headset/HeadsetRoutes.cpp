#include "HeadsetRoutes.h"

#include "HeadsetPanels.h"

#include "CorvaneHS6533Device.h"

#include <memory>

namespace vpc::panels {

namespace {

using devices::CCorvaneHS6533Device;

using HeadsetAction = std::function<void(CCorvaneHS6533Device&, RouteCall&)>;

RouteHandler OnHeadset(HeadsetAction action) {
    return [action = std::move(action)](RouteCall& call) {
        if (auto* headset = qobject_cast<CCorvaneHS6533Device*>(call.current.device))
            action(*headset, call);
    };
}

CVoice6533ControlUI* VoicePanel(CCorvaneHS6533Device& headset) {
    return headset.findChild<CVoice6533ControlUI*>();
}

bool Selected(const RouteCall& call) {
    return CControlUI(call.msg.pSender).IsSelected();
}

int Value(const RouteCall& call) {
    return CControlUI(call.msg.pSender).GetValue();
}

} // namespace

void RegisterHeadsetRoutes(CRouteTable& table, HeadsetRouteServices provided) {
    const auto services = std::make_shared<const HeadsetRouteServices>(std::move(provided));
    constexpr auto kSection = RouteSection::DeviceSettings;
    const QString select = QString::fromLatin1(DuiEvent::SelectChanged);
    const QString value = QString::fromLatin1(DuiEvent::ValueChanged);
    const auto add = [&](const QString& type, const char* name, HeadsetAction action) {
        table.Add(kSection, type, QString::fromLatin1(name), DeviceNeed::Headset,
                  OnHeadset(std::move(action)));
    };
    const auto addNumbered = [&](const QString& type, const char* prefix, HeadsetAction action) {
        table.AddNumbered(kSection, type, QString::fromLatin1(prefix), DeviceNeed::Headset,
                          OnHeadset(std::move(action)));
    };
    add(select, "magic_enable_option", [](CCorvaneHS6533Device& headset, RouteCall& call) {
        headset.ToggleMagicVoice(Selected(call));
    });
    addNumbered(select, "magic_option_", [](CCorvaneHS6533Device& headset, RouteCall& call) {
        if (Selected(call) && call.number >= 1 && call.number <= CMagicControlUI::kTypes)
            headset.SetMagicVoiceType(call.number);
    });
    add(select, "6533_MicIn_option",
        [](CCorvaneHS6533Device& headset, RouteCall&) { headset.ToggleMicMute(); });
    add(select, "6533_MicMoniter_option",
        [](CCorvaneHS6533Device& headset, RouteCall&) { headset.ToggleMonitorMute(); });
    add(value, "6533_MicIn_slider",
        [](CCorvaneHS6533Device& headset, RouteCall& call) { headset.SetMicVolume(Value(call)); });
    add(value, "6533_MicMoniter_slider", [](CCorvaneHS6533Device& headset, RouteCall& call) {
        headset.SetMonitorVolume(Value(call));
    });
    addNumbered(select, "6533_eq_option_", [](CCorvaneHS6533Device& headset, RouteCall& call) {
        if (Selected(call) && call.number >= 1 && call.number <= CVoice6533ControlUI::kEqOptions)
            headset.SelectEqPreset(call.number);
    });
    addNumbered(value, "6533_eq_hz_slider_", [](CCorvaneHS6533Device& headset, RouteCall& call) {
        if (call.number >= 1 && call.number <= CVoice6533ControlUI::kBands)
            headset.SetEqBand(call.number, Value(call));
    });
    add(QString::fromLatin1(DuiEvent::ItemSelect), "custom_eq_name_combo",
        [](CCorvaneHS6533Device& headset, RouteCall&) {
            if (CVoice6533ControlUI* panel = VoicePanel(headset))
                headset.ApplyCustomEq(panel->GetCustomEqSelection());
        });
    add(QString::fromLatin1(DuiEvent::Click), "hs_EQ_btn_save",
        [services](CCorvaneHS6533Device& headset, RouteCall&) {
            CVoice6533ControlUI* panel = VoicePanel(headset);
            if (!panel)
                return;
            data::EqValues sliders{};
            for (int band = 1; band <= CVoice6533ControlUI::kBands; ++band)
                sliders[static_cast<std::size_t>(band - 1)] = panel->GetBandValue(band);
            const int saved = headset.SaveCustomEq(panel->GetCustomEqName(), sliders,
                                                   panel->GetCustomEqSelection());
            if (saved == 0 && services->showMessage)
                services->showMessage(QStringLiteral("message_text_5"));
        });
    add(QString::fromLatin1(DuiEvent::Click), "hs_EQ_btn_delete",
        [](CCorvaneHS6533Device& headset, RouteCall&) {
            if (CVoice6533ControlUI* panel = VoicePanel(headset))
                headset.DeleteCustomEq(panel->GetCustomEqSelection());
        });
}

} // namespace vpc::panels
