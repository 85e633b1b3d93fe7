#include "MusicRoutes.h"

#include "CorvaneUSBDevice.h"
#include "LightControlUI.h"
#include "LightingTarget.h"

#include <QLoggingCategory>
#include <memory>

namespace vpc::panels {

namespace {

Q_LOGGING_CATEGORY(lcMusicRoutes, "vpc.music")

// Runs a music change on the current device and its lighting panel; nothing without both.
RouteHandler OnMusic(std::function<void(QWidget*, CLightControlUI&, RouteCall&)> change) {
    return [change = std::move(change)](RouteCall& call) {
        CLightControlUI* panel = LightPanelOf(call.current.device);
        if (call.current.device && panel)
            change(call.current.device, *panel, call);
    };
}

// The edited colour of the words becomes `argb`; on the foreground the seven colours stop.
MusicWords WithColor(const MusicWords& words, std::uint32_t argb) {
    MusicSettings settings = MusicSettings::FromWords(words);
    settings.SetEditedColor(argb);
    if (settings.editsForeground)
        settings.sevenColor = false;
    return settings.ToWords();
}

int ComponentOf(const QString& name) {
    for (int c = CLightControlUI::kRed; c <= CLightControlUI::kBlue; ++c) {
        if (name.compare(QString::fromLatin1(CLightControlUI::MusicColorEditName(c)),
                         Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

} // namespace

void ApplyMusicSettings(QWidget* device, const MusicWords& words, bool variantChanged) {
    auto* usb = qobject_cast<devices::CCorvaneUSBDevice*>(device);
    if (!usb)
        return;
    if (variantChanged) {
        // the group word of the stored lighting record (bytes 12-15) starts again from 0
        CLightingTarget target(device);
        data::LightInfo record = target.Record();
        record.customGroup = 0;
        record.oldLedmode = 0;
        target.Store(record);
    }
    usb->SetAudioLightInfo(static_cast<int>(words[0]), static_cast<int>(words[1]),
                           static_cast<int>(words[2]));
    usb->SaveProfile();
    usb->ApplyLightSettings();
}

void RegisterMusicRoutes(CRouteTable& table, MusicRouteServices services) {
    const auto shared = std::make_shared<const MusicRouteServices>(std::move(services));
    const QString click = QString::fromLatin1(DuiEvent::Click);
    const QString selectChanged = QString::fromLatin1(DuiEvent::SelectChanged);

    table.AddNumbered(RouteSection::NumberedClick, click, QStringLiteral("audiocolor_option_"),
                      DeviceNeed::AnyDevice,
                      OnMusic([](QWidget* device, CLightControlUI& panel, RouteCall& call) {
                          const std::uint32_t colour = panel.GetMusicPresetColor(call.number);
                          qCDebug(lcMusicRoutes, "%s", qPrintable(call.name));
                          qCDebug(lcMusicRoutes, "GetLightAudioColor");
                          ApplyMusicSettings(
                              device, WithColor(panel.ReadMusicSettings(true), colour), false);
                      }));
    table.Add(RouteSection::PanelClick, click, QStringLiteral("Close_bkColor_btn"),
              DeviceNeed::AnyDevice,
              OnMusic([](QWidget* device, CLightControlUI& panel, RouteCall&) {
                  MusicSettings settings = MusicSettings::FromWords(panel.ReadMusicSettings(true));
                  settings.background = {0, 0, 0};
                  ApplyMusicSettings(device, settings.ToWords(), false);
              }));
    for (const char* name : {"music_setting_btn", "music_setting_text"}) {
        table.Add(RouteSection::PanelClick, click, QString::fromLatin1(name), DeviceNeed::None,
                  [shared](RouteCall&) {
                      if (shared->openMusicWindow)
                          shared->openMusicWindow();
                  });
    }

    // The variant and the seven colours: the colour shown is taken along.
    const auto variantOrSevenColor =
        OnMusic([](QWidget* device, CLightControlUI& panel, RouteCall&) {
            const MusicWords before = panel.MusicSettingsShown();
            const MusicWords words = panel.ReadMusicSettings(true);
            ApplyMusicSettings(device, words, (words[0] & 0xFF) != (before[0] & 0xFF));
        });
    table.Add(RouteSection::SelectChanged, selectChanged, QStringLiteral("deng_7audiocolor_check"),
              DeviceNeed::AnyDevice, variantOrSevenColor);
    table.Add(RouteSection::ItemSelect, QString::fromLatin1(DuiEvent::ItemSelect),
              QStringLiteral("light_combo_audiomodeSelect"), DeviceNeed::AnyDevice,
              variantOrSevenColor);
    // Which colour the controls edit: only the check that became selected acts.
    for (const char* name : {"audio_BkColor_check", "audio_FgColor_check"}) {
        table.Add(RouteSection::SelectChanged, selectChanged, QString::fromLatin1(name),
                  DeviceNeed::AnyDevice,
                  OnMusic([](QWidget* device, CLightControlUI& panel, RouteCall& call) {
                      if (!CControlUI(call.msg.pSender).IsSelected())
                          return;
                      ApplyMusicSettings(device, panel.ReadMusicSettings(false), false);
                  }));
    }

    // The colour sliders go to the companion; their labels show the value.
    const QString valueChanged = QString::fromLatin1(DuiEvent::ValueChanged);
    for (int c = 0; c < 3; ++c) {
        const QString letter = QString(QLatin1Char("RGB"[c]));
        table.Add(
            RouteSection::DeviceSettings, valueChanged, letter + QStringLiteral("_light_slider"),
            DeviceNeed::None, [shared, c, letter](RouteCall& call) {
                const int value = CControlUI(call.msg.pSender).GetValue();
                if (shared->colorSlider)
                    shared->colorSlider(c, value);
                QWidget* slider = call.msg.pSender;
                QWidget* scope = slider ? slider->window() : nullptr;
                if (!scope)
                    return;
                for (QWidget* label : scope->findChildren<QWidget*>()) {
                    if (ControlName(label).compare(letter + QStringLiteral("_light_label"),
                                                   Qt::CaseInsensitive) == 0)
                        CControlUI(label).SetText(QStringLiteral("%1 %2").arg(letter).arg(value));
                }
            });
    }

    // Colour boxes: above 255 is 255, empty is 0 (the box keeps what was typed).
    const QString killFocus = QString::fromLatin1(DuiEvent::KillFocus);
    for (int c = CLightControlUI::kRed; c <= CLightControlUI::kBlue; ++c) {
        table.Add(
            RouteSection::KillFocus, killFocus,
            QString::fromLatin1(CLightControlUI::MusicColorEditName(c)), DeviceNeed::AnyDevice,
            OnMusic([](QWidget* device, CLightControlUI& panel, RouteCall& call) {
                const int component = ComponentOf(call.name);
                if (component < 0)
                    return;
                bool number = false;
                const qlonglong typed =
                    panel.GetMusicColorText(component).trimmed().toLongLong(&number);
                const int value =
                    number ? static_cast<int>(std::clamp<qlonglong>(typed, 0, 255)) : 0;
                MusicSettings settings = MusicSettings::FromWords(panel.ReadMusicSettings(false));
                const auto index = static_cast<std::size_t>(component);
                if (settings.editsForeground) {
                    settings.foreground[index] = static_cast<std::uint8_t>(value);
                    settings.sevenColor = false;
                } else {
                    settings.background[index] = static_cast<std::uint8_t>(value);
                }
                ApplyMusicSettings(device, settings.ToWords(), false);
            }));
    }

    table.Add(RouteSection::ColorChanged, QString::fromLatin1(DuiEvent::ColorChanged),
              QStringLiteral("deng_audioColor_Pallet"), DeviceNeed::AnyDevice,
              OnMusic([](QWidget* device, CLightControlUI& panel, RouteCall&) {
                  const std::uint32_t colour = panel.GetMusicPaletteColor();
                  MusicSettings settings = MusicSettings::FromWords(panel.ReadMusicSettings(true));
                  settings.SetEditedColor(colour);
                  ApplyMusicSettings(device, settings.ToWords(), false);
              }));
}

} // namespace vpc::panels
