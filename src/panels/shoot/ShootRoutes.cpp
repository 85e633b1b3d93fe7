#include "ShootRoutes.h"

#include "ShootControlUI.h"

#include "CorvaneMouseDevice.h"

#include <memory>

namespace vpc::panels {

namespace {

using devices::CCorvaneMouseDevice;
using ShootAction = std::function<void(CShootControlUI&, CCorvaneMouseDevice&, RouteCall&)>;

RouteHandler OnShoot(ShootAction action) {
    return [action = std::move(action)](RouteCall& call) {
        auto* mouse = qobject_cast<CCorvaneMouseDevice*>(call.current.device);
        CShootControlUI* panel = mouse ? mouse->findChild<CShootControlUI*>() : nullptr;
        if (panel)
            action(*panel, *mouse, call);
    };
}

} // namespace

void RegisterShootRoutes(CRouteTable& table, ShootRouteServices provided) {
    const auto services = std::make_shared<const ShootRouteServices>(std::move(provided));
    constexpr auto kSection = RouteSection::DeviceSettings;
    const QString select = QString::fromLatin1(DuiEvent::SelectChanged);
    const QString click = QString::fromLatin1(DuiEvent::Click);
    const QString leave = QString::fromLatin1(DuiEvent::KillFocus);
    const auto add = [&](const QString& type, const char* name, ShootAction action) {
        table.Add(kSection, type, QString::fromLatin1(name), DeviceNeed::Mouse,
                  OnShoot(std::move(action)));
    };
    table.AddNumbered(kSection, select, QStringLiteral("shoot_gun_op_"), DeviceNeed::Mouse,
                      OnShoot([](CShootControlUI& panel, CCorvaneMouseDevice&, RouteCall& call) {
                          if (!CControlUI(call.msg.pSender).IsSelected())
                              return;
                          panel.SelectGun(call.number);
                          panel.LoadBullet();
                      }));
    table.AddNumbered(kSection, select, QStringLiteral("bullet_op_"), DeviceNeed::Mouse,
                      OnShoot([](CShootControlUI& panel, CCorvaneMouseDevice&, RouteCall& call) {
                          if (CControlUI(call.msg.pSender).IsSelected())
                              panel.SelectBullet(call.number);
                      }));
    add(select, "bullet_x_check",
        [](CShootControlUI& panel, CCorvaneMouseDevice&, RouteCall&) { panel.UpdateXCheckText(); });
    add(select, "bullet_y_check",
        [](CShootControlUI& panel, CCorvaneMouseDevice&, RouteCall&) { panel.UpdateYCheckText(); });
    for (const char* edit : {"bullet_x_eidt", "bullet_y_eidt", "bullet_delay_eidt"})
        add(leave, edit,
            [](CShootControlUI& panel, CCorvaneMouseDevice&, RouteCall&) { panel.SaveBullet(); });
    add(click, "bullet_selected_prev",
        [](CShootControlUI& panel, CCorvaneMouseDevice&, RouteCall&) { panel.PreviousBullet(); });
    add(click, "bullet_selected_next",
        [](CShootControlUI& panel, CCorvaneMouseDevice&, RouteCall&) { panel.NextBullet(); });
    add(click, "shootdate_save_btn",
        [services](CShootControlUI&, CCorvaneMouseDevice& mouse, RouteCall&) {
            const QString problem = mouse.DownloadShootData();
            if (!problem.isEmpty() && services->showMessage)
                services->showMessage(QStringLiteral("shoot_download_failed"), problem);
        });
    add(click, "shootdate_reset_btn",
        [services](CShootControlUI& panel, CCorvaneMouseDevice&, RouteCall&) {
            if (const auto problem = panel.ResetCurrentGun(); problem && services->showMessage)
                services->showMessage(QStringLiteral("shoot_file_failed"),
                                      QString::fromStdString(*problem));
        });
    add(click, "shootdate_import_btn",
        [services](CShootControlUI& panel, CCorvaneMouseDevice&, RouteCall&) {
            const auto file =
                services->chooseImportFile ? services->chooseImportFile() : std::nullopt;
            if (!file)
                return;
            if (const auto problem = panel.ImportGun(*file); problem && services->showMessage)
                services->showMessage(QStringLiteral("shoot_file_failed"),
                                      QString::fromStdString(*problem));
        });
    add(click, "shootdate_export_btn",
        [services](CShootControlUI& panel, CCorvaneMouseDevice&, RouteCall&) {
            if (const auto file =
                    services->chooseExportFile ? services->chooseExportFile() : std::nullopt)
                panel.ExportGun(*file);
        });
}

} // namespace vpc::panels
