#include "KeySetRoutes.h"

#include "KeySetControlUI.h"
#include "MacroControlUI.h"
#include "MacroTables.h"

#include "CorvaneKeyboardDevice.h"
#include "CorvaneMouseDevice.h"
#include "JsonFile.h"
#include "KeyNames.h"
#include "SkinResources.h"
#include "UiTypes.h"

#include <memory>

namespace vpc::panels {

using devices::CCorvaneKeyboardDevice;
using devices::CCorvaneMouseDevice;
using devices::CCorvaneUSBDevice;

namespace {

constexpr int kKeyPage = 2;      // the device's function page of key assignment
constexpr int kLightingPage = 1; // the device's function page of lighting
constexpr int kMacroHalfLimit = 128;

// The current device as a keyboard or a mouse, with its key assignment panel.
struct KeyTarget {
    CCorvaneUSBDevice* device = nullptr;
    CCorvaneKeyboardDevice* keyboard = nullptr;
    CCorvaneMouseDevice* mouse = nullptr;
    CKeySetControlUI* panel = nullptr;

    explicit KeyTarget(const CurrentDevice& current) {
        keyboard = qobject_cast<CCorvaneKeyboardDevice*>(current.device);
        mouse = qobject_cast<CCorvaneMouseDevice*>(current.device);
        device = keyboard ? static_cast<CCorvaneUSBDevice*>(keyboard)
                          : static_cast<CCorvaneUSBDevice*>(mouse);
        panel = device ? KeySetPanelOf(device) : nullptr;
    }
    explicit operator bool() const { return device && panel; }

    void SetKeyAssignment(const data::KeyEntry& entry) const {
        const auto words = entry.ToWords();
        if (keyboard) {
            keyboard->SetKeyAssignment(words[0], words[1], words[2]);
            keyboard->UpdateKeyCaptions();
        } else if (mouse) {
            mouse->SetKeyAssignment(words[0], words[1], words[2]);
            mouse->UpdateKeyCaptions();
        }
    }
    std::filesystem::path ProfilePath() const {
        if (keyboard)
            return keyboard->ProfileData().GetProfilePath();
        if (mouse)
            return mouse->ProfileData().GetProfilePath();
        return {};
    }
};

QString Translated(const char* textId) {
    return CSkinResources::Instance().Translate(QString::fromLatin1(textId));
}

void Show(const KeySetRouteServices& services, const QString& text) {
    if (services.showMessage)
        services.showMessage(text);
}

void SetInteractive(const KeySetRouteServices& services, CKeySetControlUI& panel, bool enabled) {
    if (services.setWindowInteractive)
        services.setWindowInteractive(false, enabled);
    else
        panel.EnableEditButtons(!enabled);
}

// True when the key is the mouse's only key with the left click.
bool IsLastLeftButton(const std::vector<data::KeyEntry>& keys, int key) {
    const data::KeyAssignment left{data::assignment_type::kMouseButton, 0x01, 0x00};
    if (key < 0 || key >= static_cast<int>(keys.size()) ||
        keys[static_cast<std::size_t>(key)].current.assignment != left)
        return false;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (static_cast<int>(i) != key && keys[i].current.assignment == left)
            return false;
    }
    return true;
}

// The macro names of the device's macro panel, handed to its key assignment panel.
void FollowMacroNames(const CurrentDevice& current) {
    const KeyTarget target(current);
    CMacroControlUI* macros = target ? MacroPanelOf(target.device) : nullptr;
    if (macros)
        target.panel->SetMacroNames(macros->MacroNames());
}

} // namespace

void OpenDeviceKey(const CurrentDevice& current, int key, const KeySetRouteServices& services) {
    const KeyTarget target(current);
    if (!target)
        return;
    const int page = target.device->GetFunctionPage();
    if (page == kKeyPage) {
        if (data::ReadJsonFile(target.ProfilePath()).isNull())
            return;
        if (target.mouse && IsLastLeftButton(target.mouse->GetKeyList(), key)) {
            Show(services, Translated("message_text_6"));
            return;
        }
        target.device->SelectKey(key);
    } else if (page == kLightingPage && target.keyboard) {
        target.keyboard->SetCustomKeyColor(key);
    }
}

void ApplyKeyAssignment(const CurrentDevice& current, const KeySetRouteServices& services) {
    const KeyTarget target(current);
    if (!target)
        return;
    target.SetKeyAssignment(target.panel->BuildAssignment());
    SetInteractive(services, *target.panel, false);
}

void SaveKeysToDevice(const CurrentDevice& current, const KeySetRouteServices& services) {
    const KeyTarget target(current);
    if (!target)
        return;
    const std::vector<int> used = target.device->GetUsedMacros();
    const int result = target.device->DownloadMacros(used);
    if (result > 0) {
        Show(services, Translated("message_text_16").arg(result));
        return;
    }
    if (result < 0)
        Show(services, Translated("message_text_7"));
    if (target.keyboard) {
        // only the keyboard keeps the length of each macro it wrote
        const std::vector<int>& halves = target.keyboard->MacroHalfCounts();
        for (std::size_t p = 0; p < used.size() && p < halves.size(); ++p) {
            if (halves[p] >= kMacroHalfLimit) {
                Show(services, Translated("message_text_26").arg(2 * halves[p] - 254));
                return;
            }
        }
    }
    target.device->DownloadCurrentKeyAssignments(0);
    target.device->SaveProfile();
    SetInteractive(services, *target.panel, true);
}

void CaptureKey(const CurrentDevice& current, const macro::KeyHookEvent& event,
                const KeySetRouteServices& services) {
    if (event.scanCode > 0xFF)
        return;
    const std::optional<int> row = macro::FindScanCodeRow(
        {static_cast<std::uint8_t>(event.scanCode), (event.flags & 1u) != 0});
    if (!row)
        return;
    const KeyTarget target(current);
    if (!target)
        return;
    const data::KeyNameRow& key = data::KeyboardKeyTable()[static_cast<std::size_t>(*row)];
    if (key.assignment.type != data::assignment_type::kKeyboard)
        return;
    CKeySetControlUI& panel = *target.panel;
    data::KeyEntryHalf half = panel.Current();
    if (*row < 8) { // a modifier key alone
        panel.SelectModifier(keyset::ModifierOptionOfRow(*row));
        panel.SetKeyName(QString());
        half.assignment = {data::assignment_type::kKeyboard, key.assignment.code1, 0};
    } else {
        int option = panel.GetModifier();
        if (option < 0) {
            panel.SelectModifier(0);
            option = 0;
        }
        panel.SetKeyName(QString::fromLatin1(key.textId));
        half.assignment = {data::assignment_type::kKeyboard, keyset::ModifierBit(option),
                           key.assignment.code2};
    }
    panel.SetCurrent(half);
    ApplyKeyAssignment(current, services);
}

void RegisterKeySetRoutes(CRouteTable& table, KeySetRouteServices services) {
    const auto shared = std::make_shared<const KeySetRouteServices>(std::move(services));
    const QString click = QString::fromLatin1(DuiEvent::Click);
    const QString itemSelect = QString::fromLatin1(DuiEvent::ItemSelect);
    const QString killFocus = QString::fromLatin1(DuiEvent::KillFocus);
    const QString setFocus = QString::fromLatin1(DuiEvent::SetFocus);
    const QString selectChanged = QString::fromLatin1(DuiEvent::SelectChanged);
    const auto apply = [shared](RouteCall& call) { ApplyKeyAssignment(call.current, *shared); };
    // Runs a panel command on the current keyboard's or mouse's key assignment panel.
    const auto onPanel = [](std::function<void(CKeySetControlUI&)> command) {
        return [command = std::move(command)](RouteCall& call) {
            if (CKeySetControlUI* panel = KeyTarget(call.current).panel)
                command(*panel);
        };
    };

    // The keys of the device picture.
    table.AddNumbered(
        RouteSection::NumberedClick, click, QStringLiteral("key_"), DeviceNeed::KeyboardOrMouse,
        [shared](RouteCall& call) { OpenDeviceKey(call.current, call.number, *shared); });

    // The panel's buttons.
    table.Add(RouteSection::PanelClick, click, QStringLiteral("key_butt_keysave"),
              DeviceNeed::KeyboardOrMouse, apply);
    table.Add(RouteSection::PanelClick, click, QStringLiteral("key_butt_keydefalut"),
              DeviceNeed::KeyboardOrMouse, [shared](RouteCall& call) {
                  if (CKeySetControlUI* panel = KeyTarget(call.current).panel) {
                      panel->ShowDefault();
                      SetInteractive(*shared, *panel, false);
                  }
              });
    table.Add(RouteSection::PanelClick, click, QStringLiteral("key_butt_keycancel"),
              DeviceNeed::KeyboardOrMouse, [shared](RouteCall& call) {
                  if (CKeySetControlUI* panel = KeyTarget(call.current).panel) {
                      panel->ShowCurrent();
                      SetInteractive(*shared, *panel, true);
                  }
              });
    table.Add(RouteSection::PanelClick, click, QStringLiteral("key_butt_prosave"),
              DeviceNeed::KeyboardOrMouse,
              [shared](RouteCall& call) { SaveKeysToDevice(call.current, *shared); });
    // The macro list follows the macro panel's names.
    for (const char* name :
         {"macro_btn_name_add", "macro_btn_name_sub", "macro_btn_name_edit", "macro_btn_import"}) {
        table.Add(RouteSection::PanelClick, click, QString::fromLatin1(name),
                  DeviceNeed::KeyboardOrMouse,
                  [](RouteCall& call) { FollowMacroNames(call.current); });
    }

    // The modifier options: the chosen one alone, then applied.
    table.AddNumbered(RouteSection::SelectChanged, selectChanged,
                      QStringLiteral("key_ComBox_check_"), DeviceNeed::KeyboardOrMouse,
                      [apply](RouteCall& call) {
                          CKeySetControlUI* panel = KeyTarget(call.current).panel;
                          if (!panel || call.number < 0 || call.number >= keyset::kModifierOptions)
                              return;
                          panel->SelectModifier(call.number);
                          apply(call);
                      });

    // The function list and the play mode change the page shown.
    table.Add(RouteSection::ItemSelect, itemSelect, QStringLiteral("keyset_function_combo"),
              DeviceNeed::KeyboardOrMouse,
              onPanel([](CKeySetControlUI& panel) { panel.OnFunctionChanged(); }));
    table.Add(RouteSection::ItemSelect, itemSelect, QStringLiteral("keyset_macro_over_combo"),
              DeviceNeed::KeyboardOrMouse,
              onPanel([](CKeySetControlUI& panel) { panel.OnMacroRepeatChanged(); }));
    // ... and every choice in a list applies the assignment.
    for (const char* name :
         {"keyset_function_combo", "keyset_mousekey_combo", "keyset_mouseswing_combo",
          "keyset_mousewheel_combo", "keyset_mousedpi_combo", "keyset_media_combo",
          "keyset_system_combo", "keyset_macro_combo", "keyset_macro_over_combo",
          "keyset_gunkey_combo", "keyset_combokey_combo"}) {
        table.Add(RouteSection::ItemSelectApply, itemSelect, QString::fromLatin1(name),
                  DeviceNeed::KeyboardOrMouse, apply);
    }

    // Numbers typed into the boxes apply when the box is left.
    for (const char* name : {"keyset_mouseswing_num_edit", "keyset_mouseswing_delay_edit",
                             "keyset_mouseswing_speed_edit", "keyset_mousewheel_num_edit",
                             "keyset_mousewheel_delay_edit", "keyset_mousewheel_speed_edit",
                             "keyset_mousefire_interval_edit", "keyset_mousefire_num_edit",
                             "keyset_macro_cycle_edit"}) {
        table.Add(RouteSection::KillFocus, killFocus, QString::fromLatin1(name),
                  DeviceNeed::KeyboardOrMouse, apply);
    }

    // Key capture runs while the key name box has the focus.
    table.Add(RouteSection::KillFocus, killFocus, QStringLiteral("keyset_keyboard_text_edit"),
              DeviceNeed::None, [shared](RouteCall&) {
                  if (shared->keyCapture)
                      shared->keyCapture(false);
              });
    table.Add(RouteSection::MessageMap, setFocus, QStringLiteral("keyset_keyboard_text_edit"),
              DeviceNeed::None, [shared](RouteCall&) {
                  if (shared->keyCapture)
                      shared->keyCapture(true);
              });
}

} // namespace vpc::panels
