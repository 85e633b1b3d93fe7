#include "SystemRoutes.h"

#include "ControlUI.h"
#include "CorvaneKeyboardDevice.h"
#include "UiTypes.h"

#include <memory>

namespace vpc::panels {

using devices::CCorvaneKeyboardDevice;
using devices::CCorvaneUSBDevice;

namespace {

CCorvaneKeyboardDevice* KeyboardOf(const RouteCall& call) {
    return qobject_cast<CCorvaneKeyboardDevice*>(call.current.device);
}

bool SenderSelected(const RouteCall& call) {
    return CControlUI(call.msg.pSender).IsSelected();
}

} // namespace

void RegisterSystemRoutes(CRouteTable& table, SystemRouteServices services) {
    const auto shared = std::make_shared<const SystemRouteServices>(std::move(services));
    const QString click = QString::fromLatin1(DuiEvent::Click);
    const QString selectChanged = QString::fromLatin1(DuiEvent::SelectChanged);

    // "default": the question needs no device; the current device then reloads its profile
    // and writes its keys and onboard record.
    table.Add(RouteSection::PanelClick, click, QStringLiteral("default_btn"), DeviceNeed::None,
              [shared](RouteCall& call) {
                  if (!shared->confirm || !shared->confirm(QStringLiteral("message_text_22")))
                      return;
                  auto* device = qobject_cast<CCorvaneUSBDevice*>(call.current.device);
                  if (!device)
                      return;
                  const QSize screen = shared->screenPixels ? shared->screenPixels() : QSize();
                  device->ReloadProfile();
                  device->DownloadCurrentKeyAssignments(0);
                  device->WriteOnboardProfile(0, 0, 1, screen.width(), screen.height());
              });
    table.Add(RouteSection::PanelClick, click, QStringLiteral("reset_repeat_btn"),
              DeviceNeed::Keyboard, [](RouteCall& call) {
                  if (CCorvaneKeyboardDevice* keyboard = KeyboardOf(call))
                      keyboard->ClearRepeatInput();
              });

    // The options of a group: the one that became selected carries the choice.
    table.AddNumbered(RouteSection::SelectChanged, selectChanged,
                      QStringLiteral("polling_rate_option_"), DeviceNeed::Keyboard,
                      [](RouteCall& call) {
                          if (CCorvaneKeyboardDevice* keyboard = KeyboardOf(call);
                              keyboard && SenderSelected(call))
                              keyboard->ChangePollingRate(call.number);
                      });
    table.AddNumbered(RouteSection::SelectChanged, selectChanged,
                      QStringLiteral("repeat_delay_check_"), DeviceNeed::Keyboard,
                      [](RouteCall& call) {
                          if (CCorvaneKeyboardDevice* keyboard = KeyboardOf(call);
                              keyboard && SenderSelected(call))
                              keyboard->ChangeRepeatDelay(call.number);
                      });
    using Flag = CCorvaneKeyboardDevice::SystemFlag;
    for (const auto& [name, flag] :
         {std::pair{"winlockflag_option", Flag::WinLock}, std::pair{"wflag_option", Flag::W},
          std::pair{"6flag_option", Flag::Key6}}) {
        table.Add(RouteSection::SelectChanged, selectChanged, QString::fromLatin1(name),
                  DeviceNeed::Keyboard, [flag](RouteCall& call) {
                      if (CCorvaneKeyboardDevice* keyboard = KeyboardOf(call))
                          keyboard->ChangeSystemFlag(flag, SenderSelected(call));
                  });
    }
    table.Add(RouteSection::ValueChanged, QString::fromLatin1(DuiEvent::ValueChanged),
              QStringLiteral("repeat_rate_slider"), DeviceNeed::Keyboard, [](RouteCall& call) {
                  if (CCorvaneKeyboardDevice* keyboard = KeyboardOf(call))
                      keyboard->ChangeRepeatRate(CControlUI(call.msg.pSender).GetValue());
              });
}

} // namespace vpc::panels
