#include "MacroRoutes.h"

#include "MacroControlUI.h"

#include "CorvaneKeyboardDevice.h"
#include "CorvaneMouseDevice.h"

#include <memory>

namespace vpc::panels {

namespace {

using Services = std::shared_ptr<const MacroRouteServices>;
using macro::TimeMode;

// The key list of the device the panel belongs to.
std::vector<data::KeyEntry> KeysOf(QWidget* device) {
    if (auto* keyboard = qobject_cast<devices::CCorvaneKeyboardDevice*>(device))
        return keyboard->GetKeyList();
    if (auto* mouse = qobject_cast<devices::CCorvaneMouseDevice*>(device))
        return mouse->GetKeyList();
    return {};
}

bool UsesMacro(const std::vector<data::KeyEntry>& keys, int macro) {
    for (const data::KeyEntry& key : keys)
        if (key.IsMacro() && key.current.assignment.code1 == macro)
            return true;
    return false;
}

// After a macro was removed: the device takes its profile again (every profile's keys
// followed on disk), shows its captions and, when its keys changed, writes macros and keys.
void AfterMacroRemoved(QWidget* deviceWidget, bool keysChanged) {
    auto* device = qobject_cast<devices::CCorvaneUSBDevice*>(deviceWidget);
    if (!device)
        return;
    device->LoadProfile();
    device->LoadDefaultData();
    device->RefreshPanel();
    if (keysChanged && device->Channel().IsEnabled() &&
        device->DownloadMacros(device->GetUsedMacros()) == 0)
        device->DownloadCurrentKeyAssignments(0);
}

void RemoveSelectedMacro(CMacroControlUI& panel, QWidget* device, const Services& services) {
    if (services->confirm && !services->confirm(QStringLiteral("message_text_4")))
        return;
    const int macro = panel.GetSelectedMacro();
    if (macro < 0)
        return;
    const std::vector<data::KeyEntry> before = KeysOf(device);
    if (UsesMacro(before, macro) && services->confirm &&
        !services->confirm(QStringLiteral("message_text_2")))
        return; // nothing has changed yet
    if (!panel.RemoveSelectedMacro())
        return;
    AfterMacroRemoved(device, UsesMacro(before, macro) || KeysOf(device) != before);
}

} // namespace

void StartMacroRecording(CMacroControlUI& panel, int hookMode, TimeMode mode,
                         const MacroRouteServices& services) {
    if (panel.GetSelectedMacro() < 0)
        return; // nothing to record into
    panel.BeginRecording(mode);
    if (services.armHooks)
        services.armHooks(hookMode, true);
}

void StopMacroRecording(CMacroControlUI& panel, const MacroRouteServices& services) {
    panel.EndRecording();
    if (services.armHooks)
        services.armHooks(4, false);
    panel.SaveSelectedMacro();
}

void RegisterMacroRoutes(CRouteTable& table, MacroRouteServices provided) {
    const auto services = std::make_shared<const MacroRouteServices>(std::move(provided));
    constexpr auto kSection = RouteSection::PanelClick;
    const auto onPanel = [](std::function<void(CMacroControlUI&, RouteCall&)> action) {
        return [action = std::move(action)](RouteCall& call) {
            if (CMacroControlUI* panel = MacroPanelOf(call.current.device))
                action(*panel, call);
        };
    };
    const auto add = [&](const char* type, const char* name,
                         std::function<void(CMacroControlUI&, RouteCall&)> action) {
        table.Add(kSection, QString::fromLatin1(type), QString::fromLatin1(name),
                  DeviceNeed::KeyboardOrMouse, onPanel(std::move(action)));
    };
    add(DuiEvent::ItemSelect, "macro_name_list",
        [](CMacroControlUI& panel, RouteCall&) { panel.OpenSelectedMacro(); });
    add(DuiEvent::Click, "macro_btn_name_add", [](CMacroControlUI& panel, RouteCall& call) {
        if (panel.AddMacro().isEmpty())
            return;
        if (auto* device = qobject_cast<devices::CCorvaneUSBDevice*>(call.current.device))
            device->LoadDefaultData();
    });
    add(DuiEvent::Click, "macro_btn_name_sub", [services](CMacroControlUI& panel, RouteCall& call) {
        RemoveSelectedMacro(panel, call.current.device, services);
    });
    add(DuiEvent::Click, "macro_btn_name_edit",
        [services](CMacroControlUI& panel, RouteCall& call) {
            int index = -1;
            const QString name = panel.RenameMacro(index);
            if (index < 0)
                return;
            if (name.isEmpty()) {
                if (services->showMessage)
                    services->showMessage(QStringLiteral("message_text_5"));
                return;
            }
            if (auto* device = qobject_cast<devices::CCorvaneUSBDevice*>(call.current.device)) {
                device->LoadDefaultData();
                device->RefreshPanel(); // the key captions with the new name
            }
        });
    add(DuiEvent::Click, "macro_btn_import", [services](CMacroControlUI& panel, RouteCall& call) {
        const auto file = services->chooseImportFile ? services->chooseImportFile() : std::nullopt;
        if (!file || panel.ImportMacro(*file).isEmpty())
            return;
        if (auto* device = qobject_cast<devices::CCorvaneUSBDevice*>(call.current.device))
            device->LoadDefaultData();
    });
    add(DuiEvent::Click, "macro_btn_export", [services](CMacroControlUI& panel, RouteCall&) {
        if (panel.GetSelectedMacro() < 0 || !services->chooseExportFile)
            return;
        if (const auto file = services->chooseExportFile())
            panel.ExportMacro(*file);
    });
    add(DuiEvent::Click, "macro_btn_save",
        [](CMacroControlUI& panel, RouteCall&) { panel.SaveSelectedMacro(); });
    add(DuiEvent::Click, "macro_btn_cancel",
        [](CMacroControlUI& panel, RouteCall&) { panel.OpenSelectedMacro(); });
    add(DuiEvent::Click, "macro_btn_starredio", [services](CMacroControlUI& panel, RouteCall&) {
        StartMacroRecording(panel, 4,
                            panel.IsConstantTimeChecked() ? TimeMode::Fixed : TimeMode::Recorded,
                            *services);
    });
    add(DuiEvent::Click, "macro_btn_stopredio",
        [services](CMacroControlUI& panel, RouteCall&) { StopMacroRecording(panel, *services); });
    struct RowOperation {
        const char* name;
        bool (CMacroControlUI::*operation)();
    };
    for (const RowOperation& op :
         {RowOperation{"macro_btn_up", &CMacroControlUI::MoveActionUp},
          RowOperation{"macro_btn_down", &CMacroControlUI::MoveActionDown},
          RowOperation{"macro_btn_uptop", &CMacroControlUI::MoveActionToTop},
          RowOperation{"macro_btn_downbottom", &CMacroControlUI::MoveActionToBottom},
          RowOperation{"macro_btn_delete", &CMacroControlUI::DeleteAction}})
        add(DuiEvent::Click, op.name, [op](CMacroControlUI& panel, RouteCall&) {
            (panel.*op.operation)();
            panel.SaveSelectedMacro();
        });
    add(DuiEvent::Click, "macro_btn_deleteall", [](CMacroControlUI& panel, RouteCall&) {
        panel.DeleteAllActions();
        panel.SaveSelectedMacro();
    });
    struct Move {
        const char* name;
        int variant;
    };
    for (const Move& move :
         {Move{"macro_inset_moveleftkey_btn", 0}, Move{"macro_inset_moverightkey_btn", 1},
          Move{"macro_inset_moveupkey_btn", 2}, Move{"macro_inset_movedownkey_btn", 3}})
        add(DuiEvent::Click, move.name, [move](CMacroControlUI& panel, RouteCall&) {
            if (panel.InsertMouseAction(macro::mouse_message::kMove, move.variant))
                panel.SaveSelectedMacro();
        });
}

} // namespace vpc::panels
