#include "LightingRoutes.h"

#include "LightControlUI.h"
#include "LightRecordWords.h"
#include "LightingTarget.h"

#include "CorvaneKeyboardDevice.h"
#include "DeviceKeyButtonUI.h"
#include "TextUtil.h"

#include <memory>

namespace vpc::panels {

namespace {

using devices::CCorvaneKeyboardDevice;

// Runs a lighting change on the current device and its lighting panel; nothing without both.
RouteHandler
OnLighting(std::function<void(CLightingTarget&, CLightControlUI&, RouteCall&)> change) {
    return [change = std::move(change)](RouteCall& call) {
        CLightingTarget target(call.current.device);
        if (target && target.Panel())
            change(target, *target.Panel(), call);
    };
}

// The lights of the selected, shown keys of a key-light area ("light_" n in a key's user data,
// or the key's own name).
std::vector<int> SelectedLights(const QWidget* area) {
    std::vector<int> lights;
    if (!area)
        return lights;
    for (QObject* child : area->children()) {
        auto* key = qobject_cast<CDeviceKeyButtonUI*>(child);
        if (!key || !key->IsSelected() || key->isHidden())
            continue;
        for (const QString& text : {CControlUI(key).GetUserData(), ControlName(key)}) {
            const data::NameNumber light = data::SplitNameNumber(text.toStdString());
            if (light.ok && light.prefix == "light_" && light.number >= 0) {
                lights.push_back(light.number);
                break;
            }
        }
    }
    return lights;
}

// In the custom colour mode the selected keys of the keyboard take the lighting colour.
void ColourSelectedKeys(CLightingTarget& target) {
    CCorvaneKeyboardDevice* keyboard = target.Keyboard();
    if (!keyboard || target.Record().selectItem != CCorvaneKeyboardDevice::kCustomColourMode)
        return;
    target.ColourLights(SelectedLights(keyboard->PreviewControl()));
}

// A new lighting colour from the palette, a preset or the boxes: multi-colour off, stored and
// written, and shown by the boxes, the swatch and (for a preset) the palette.
void ApplyColor(CLightingTarget& target, CLightControlUI& panel, std::uint32_t argb,
                bool clearSynchronised, bool setPalette) {
    data::LightInfo record = target.Record();
    SetRecordColor(record, argb);
    record.multiColor = 0;
    if (clearSynchronised)
        target.ClearSynchronised();
    target.Apply(record);
    panel.ShowColorComponents(argb);
    panel.SetMultiColor(false);
    if (setPalette)
        panel.SetPaletteColor(argb);
    ColourSelectedKeys(target);
}

int ColorComponentOf(const QString& name) {
    for (int c = CLightControlUI::kRed; c <= CLightControlUI::kBlue; ++c) {
        if (name.compare(QString::fromLatin1(CLightControlUI::ColorEditName(c)),
                         Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

} // namespace

void RegisterLightingRoutes(CRouteTable& table, LightingRouteServices services) {
    const auto shared = std::make_shared<const LightingRouteServices>(std::move(services));
    const QString click = QString::fromLatin1(DuiEvent::Click);
    const QString selectChanged = QString::fromLatin1(DuiEvent::SelectChanged);
    const QString valueChanged = QString::fromLatin1(DuiEvent::ValueChanged);
    const QString itemSelect = QString::fromLatin1(DuiEvent::ItemSelect);

    // Preset colours: the synchronised flag stays; the palette shows the colour as well.
    table.AddNumbered(
        RouteSection::NumberedClick, click, QStringLiteral("color_option_"), DeviceNeed::AnyDevice,
        OnLighting([](CLightingTarget& target, CLightControlUI& panel, RouteCall& call) {
            const std::uint32_t colour = panel.GetPresetColor(call.number);
            if (colour != 0)
                ApplyColor(target, panel, colour, false, true);
        }));

    const auto fill = [](bool on) {
        return [on](RouteCall& call) {
            CLightingTarget target(call.current.device);
            if (CCorvaneKeyboardDevice* keyboard = target.Keyboard()) {
                target.Flush();
                keyboard->FillCustomColors(on);
            }
        };
    };
    table.Add(RouteSection::PanelClick, click, QStringLiteral("custom_bright_color_btn"),
              DeviceNeed::Keyboard, fill(true));
    table.Add(RouteSection::PanelClick, click, QStringLiteral("custom_off_color_btn"),
              DeviceNeed::Keyboard, fill(false));
    table.Add(RouteSection::PanelClick, click, QStringLiteral("deng_same_mode"),
              DeviceNeed::AnyDevice, [shared](RouteCall& call) {
                  CLightingTarget(call.current.device).Flush();
                  if (shared->synchroniseLighting)
                      shared->synchroniseLighting();
              });

    // Direction: only the option that became selected acts (its partner's unselection is not a
    // second change).
    for (const auto& [name, direction] : {std::pair{"deng_FXL_check", 1}, {"deng_FXR_check", 0}}) {
        table.Add(RouteSection::SelectChanged, selectChanged, QString::fromLatin1(name),
                  DeviceNeed::AnyDevice,
                  OnLighting([direction](CLightingTarget& target, CLightControlUI& panel,
                                         RouteCall& call) {
                      if (!CControlUI(call.msg.pSender).IsSelected())
                          return;
                      panel.SetDirection(direction);
                      target.ClearSynchronised();
                      data::LightInfo record = target.Record();
                      record.fx = static_cast<std::uint8_t>(direction);
                      target.Apply(record);
                  }));
    }
    table.Add(RouteSection::SelectChanged, selectChanged, QStringLiteral("deng_7color_check"),
              DeviceNeed::AnyDevice,
              OnLighting([](CLightingTarget& target, CLightControlUI& panel, RouteCall&) {
                  const bool on = panel.GetMultiColor();
                  target.ClearSynchronised();
                  panel.SetMultiColor(on);
                  data::LightInfo record = target.Record();
                  record.multiColor = on ? 1 : 0;
                  target.Apply(record);
              }));

    for (const bool brightness : {true, false}) {
        table.Add(RouteSection::ValueChanged, valueChanged,
                  brightness ? QStringLiteral("deng_light_slider")
                             : QStringLiteral("deng_speed_slider"),
                  DeviceNeed::AnyDevice,
                  OnLighting([brightness](CLightingTarget& target, CLightControlUI& panel,
                                          RouteCall& call) {
                      const int value = std::clamp(CControlUI(call.msg.pSender).GetValue(), 0, 255);
                      target.ClearSynchronised();
                      data::LightInfo record = target.Record();
                      if (brightness) {
                          panel.SetBrightness(value);
                          record.light = static_cast<std::uint8_t>(value);
                      } else {
                          panel.SetSpeed(value);
                          record.speed = static_cast<std::uint8_t>(value);
                      }
                      target.Apply(record);
                  }));
    }

    table.Add(RouteSection::ItemSelect, itemSelect, QStringLiteral("light_combo_modeSelect"),
              DeviceNeed::AnyDevice,
              OnLighting([](CLightingTarget& target, CLightControlUI& panel, RouteCall&) {
                  const int mode = panel.GetMode();
                  if (mode < 0 || mode > 255)
                      return;
                  target.ClearSynchronised();
                  panel.ShowMode(mode);
                  data::LightInfo record = target.Record();
                  record.selectItem = static_cast<std::uint8_t>(mode);
                  target.Apply(record);
              }));
    table.Add(RouteSection::ItemSelect, itemSelect, QStringLiteral("light_combo_custommodeSelect"),
              DeviceNeed::Keyboard,
              OnLighting([](CLightingTarget& target, CLightControlUI& panel, RouteCall&) {
                  CCorvaneKeyboardDevice* keyboard = target.Keyboard();
                  const int group = panel.GetCustomGroup();
                  if (!keyboard || group < 0)
                      return;
                  target.Flush();
                  keyboard->SetCustomGroup(group);
                  keyboard->SaveProfile();
                  keyboard->LoadCustomColors();
              }));
    table.Add(RouteSection::ItemSelect, itemSelect, QStringLiteral("light_combo_ZZCCmodeSelect"),
              DeviceNeed::Keyboard,
              OnLighting([](CLightingTarget& target, CLightControlUI& panel, RouteCall&) {
                  const int mode = panel.GetZZCCMode();
                  if (mode < 0 || mode > 255)
                      return;
                  panel.ShowZZCCMode(mode);
                  data::LightInfo record = target.Record();
                  record.zzccLedMode = static_cast<std::uint8_t>(mode);
                  target.Apply(record);
              }));

    // Colour boxes: the typed number held to 0..255 from both sides; the box shows what is stored.
    const QString killFocus = QString::fromLatin1(DuiEvent::KillFocus);
    for (int c = CLightControlUI::kRed; c <= CLightControlUI::kBlue; ++c) {
        table.Add(RouteSection::KillFocus, killFocus,
                  QString::fromLatin1(CLightControlUI::ColorEditName(c)), DeviceNeed::AnyDevice,
                  OnLighting([](CLightingTarget& target, CLightControlUI& panel, RouteCall& call) {
                      const int component = ColorComponentOf(call.name);
                      if (component < 0)
                          return;
                      const ColorComponent typed =
                          ReadColorComponent(panel.GetColorText(component));
                      if (panel.GetColorText(component) != typed.shown)
                          panel.SetColorText(component, typed.shown);
                      data::LightInfo record = target.Record();
                      std::uint8_t& byte = component == CLightControlUI::kRed     ? record.red
                                           : component == CLightControlUI::kGreen ? record.green
                                                                                  : record.blue;
                      byte = typed.value;
                      record.multiColor = 0;
                      target.ClearSynchronised();
                      target.Apply(record);
                      panel.SetMultiColor(false);
                      panel.SetPaletteColor(RecordColor(record));
                      ColourSelectedKeys(target);
                  }));
    }

    table.Add(RouteSection::ColorChanged, QString::fromLatin1(DuiEvent::ColorChanged),
              QStringLiteral("deng_Color_Pallet"), DeviceNeed::AnyDevice,
              OnLighting([](CLightingTarget& target, CLightControlUI& panel, RouteCall&) {
                  ApplyColor(target, panel, panel.GetPaletteColor(), true, false);
              }));

    // The end of a rubber-band selection over the keys: in the custom colour mode the selected
    // keys take the lighting colour (the device's page names its area "keyboard_device_key_light").
    const auto keysSelected = [](RouteCall& call) {
        CLightingTarget target(call.current.device);
        CCorvaneKeyboardDevice* keyboard = target.Keyboard();
        if (!keyboard || call.msg.pSender != keyboard->PreviewControl())
            return;
        ColourSelectedKeys(target);
    };
    const QString selectEnd = QString::fromLatin1(DuiEvent::ClickSelectEnd);
    table.Add(RouteSection::SelectEnd, selectEnd, QStringLiteral("device_key_light"),
              DeviceNeed::Keyboard, keysSelected);
    table.Add(RouteSection::SelectEnd, selectEnd,
              QString::fromLatin1(CCorvaneKeyboardDevice::kKeyLightArea), DeviceNeed::Keyboard,
              keysSelected);
}

} // namespace vpc::panels
