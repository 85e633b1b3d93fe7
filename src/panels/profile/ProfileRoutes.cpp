#include "ProfileRoutes.h"

#include "DeviceProfileUI.h"

#include <QFileDialog>
#include <algorithm>
#include <memory>

namespace vpc::panels {

namespace {

// Profile files end in ".json" in any letter case (the program's own end in ".Json").
const QString kProfileFilter = QStringLiteral("Profile Files(*.json *.Json *.JSON)");

QString DefaultImportFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, {}, {}, kProfileFilter);
}

QString DefaultExportFile(QWidget* parent) {
    QFileDialog dialog(parent, {}, {}, kProfileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("json"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

// Runs a command on the profile panel of the current device.
RouteHandler OnCurrentPanel(std::function<void(CDeviceProfileUI&)> command) {
    return [command = std::move(command)](RouteCall& call) {
        if (CDeviceProfileUI* panel = ProfilePanelOf(call.current.device))
            command(*panel);
    };
}

} // namespace

void RegisterProfileRoutes(CRouteTable& table, ProfileRouteServices services) {
    if (!services.chooseImportFile)
        services.chooseImportFile = DefaultImportFile;
    if (!services.chooseExportFile)
        services.chooseExportFile = DefaultExportFile;
    const auto shared = std::make_shared<const ProfileRouteServices>(std::move(services));
    const auto ask = [shared](const QString& textId, int buttonMode) {
        return shared->showMessage ? shared->showMessage(textId, buttonMode) : 0;
    };

    const QString click = QString::fromLatin1(DuiEvent::Click);
    const auto addClick = [&](const char* name, std::function<void(CDeviceProfileUI&)> command) {
        table.Add(RouteSection::PanelClick, click, QString::fromLatin1(name), DeviceNeed::AnyDevice,
                  OnCurrentPanel(std::move(command)));
    };

    addClick("device_add_btn", [](CDeviceProfileUI& panel) { panel.AddProfile(); });
    addClick("device_sub_btn", [](CDeviceProfileUI& panel) { panel.DeleteProfile(); });
    addClick("device_copy_btn", [](CDeviceProfileUI& panel) { panel.CopyProfile(); });
    addClick("device_import_btn", [shared](CDeviceProfileUI& panel) {
        if (panel.GetSelectedIndex() < 0)
            return;
        const QString path = shared->chooseImportFile(panel.window());
        if (!path.isEmpty())
            panel.ImportProfile(path);
    });
    addClick("device_export_btn", [shared](CDeviceProfileUI& panel) {
        if (panel.GetSelectedIndex() < 0)
            return;
        const QString path = shared->chooseExportFile(panel.window());
        if (!path.isEmpty())
            panel.ExportProfile(path);
    });
    addClick("device_reset_btn", [ask, shared](CDeviceProfileUI& panel) {
        if (ask(QStringLiteral("message_text_22"), 1) != 1)
            return;
        if (panel.ResetProfile()) {
            panel.RequestResetReload();
            if (shared->resetMusicSettings)
                shared->resetMusicSettings();
        }
    });
    addClick("device_profile_edit_save_btn", [ask](CDeviceProfileUI& panel) {
        const QString name = panel.GetNameEditText();
        if (name.isEmpty())
            return;
        const int result = panel.RenameProfile(name);
        if (result == 0)
            ask(QStringLiteral("message_text_5"), 0);
        else if (result == 2)
            ask(QStringLiteral("message_text_25"), 0);
    });
    addClick("profile_fun_spread_btn",
             [](CDeviceProfileUI& panel) { panel.ShowProfileMenu(!panel.IsProfileMenuVisible()); });

    // Function tabs: the device shows the page, the panel checks the tab.
    const QString selectChanged = QString::fromLatin1(DuiEvent::SelectChanged);
    for (const char* tab : CDeviceProfileUI::kOpTabNames) {
        table.Add(RouteSection::SelectChanged, selectChanged, QString::fromLatin1(tab),
                  DeviceNeed::AnyDevice, [](RouteCall& call) {
                      CDeviceProfileUI* panel = ProfilePanelOf(call.current.device);
                      const int n = CDeviceProfileUI::OpTabNumber(call.name);
                      if (!panel || n == 0)
                          return;
                      if (!CControlUI(call.msg.pSender).IsSelected()) {
                          // Unchecking the shown tab would leave no page chosen: keep it.
                          if (panel->SelectedOpTab() == 0)
                              panel->SelectOpTab(n);
                          return;
                      }
                      panel->RequestFunctionPage(n);
                      panel->SelectOpTab(n);
                  });
    }

    // A choice in the profile combo switches the device 400 ms later.
    table.Add(RouteSection::ItemSelect, QString::fromLatin1(DuiEvent::ItemSelect),
              QStringLiteral("device_profile_combo"), DeviceNeed::None, [](RouteCall& call) {
                  if (CDeviceProfileUI* panel = ProfilePanelAround(call.msg.pSender))
                      panel->StartSwitchTimer();
              });
}

} // namespace vpc::panels
