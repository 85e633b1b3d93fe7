// The main window with a simulated keypad and mouse as a user drives it: each function tab
// shows its own page, keys clicked on the picture take new functions that reach the keypad and
// its profile file, system settings reach the keypad, and the device bar's arrows stop at the
// ends.
#include "MainWindowWithDevices.h"

#include "CKeyboardProfiledata.h"
#include "ControlUI.h"
#include "KeySetControlUI.h"
#include "KeySetRoutes.h"

#include <QScrollArea>

namespace {

using vpc::devices::CCorvaneKeyboardDevice;
using vpc::devices::CCorvaneMouseDevice;
using vpc::devices::CCorvaneUSBDevice;
using vpc::panels::CKeySetControlUI;
using Code = vpc::sim::SimKeypadMemory::KeyCode;
using vpc::sim::KeypadKey;

class MainWindowKeysTest : public MainWindowWithDevices {
protected:
    // Chooses an item of one of the key panel's lists as the user does.
    void Choose(CKeySetControlUI& panel, const char* list, int item) {
        ASSERT_TRUE(panel.Part(list).SelectItem(item, true)) << list;
    }
    bool Shows(CCorvaneUSBDevice* device, const char* control) {
        QWidget* widget = device->FindPageControl(control);
        return widget && widget->isVisible();
    }
    std::vector<vpc::data::KeyEntry> KeysOnDisk() {
        vpc::data::CKeyboardProfiledata profile;
        profile.Load(keyboard->ProfileData().GetProfilePath());
        return profile.GetKeyList();
    }
};

TEST_F(MainWindowKeysTest, EachFunctionTabShowsItsOwnPage) {
    struct Tab {
        const char* tab;
        const char* shown;
        std::vector<const char*> hidden;
    };
    Select(keyboard);
    const Tab keypadTabs[] = {
        {"key_Op_tab",
         "KeySetControlItem",
         {"LightControlItem", "MacroControlItem", "polling_rate_option_0"}},
        {"macro_Op_tab",
         "MacroControlItem",
         {"LightControlItem", "KeySetControlItem", "polling_rate_option_0"}},
        {"system_Op_tab",
         "polling_rate_option_0",
         {"LightControlItem", "KeySetControlItem", "MacroControlItem"}},
        {"deng_Op_tab",
         "LightControlItem",
         {"KeySetControlItem", "MacroControlItem", "polling_rate_option_0"}},
    };
    for (const Tab& t : keypadTabs) {
        SCOPED_TRACE(t.tab);
        Click(keyboard, t.tab);
        EXPECT_TRUE(Shows(keyboard, t.shown));
        for (const char* other : t.hidden)
            EXPECT_FALSE(Shows(keyboard, other)) << other;
    }

    Select(mouseDevice);
    const Tab mouseTabs[] = {
        {"key_Op_tab", "KeySetControlItem", {"MacroControlItem", "ShootControlItem"}},
        {"macro_Op_tab", "MacroControlItem", {"KeySetControlItem", "ShootControlItem"}},
        {"system_Op_tab", "ShootControlItem", {"KeySetControlItem", "MacroControlItem"}},
        {"cursor_Op_tab", "mouse_pointer_hint", {"KeySetControlItem", "ShootControlItem"}},
    };
    for (const Tab& t : mouseTabs) {
        SCOPED_TRACE(t.tab);
        Click(mouseDevice, t.tab);
        EXPECT_TRUE(Shows(mouseDevice, t.shown));
        for (const char* other : t.hidden)
            EXPECT_FALSE(Shows(mouseDevice, other)) << other;
    }
}

TEST_F(MainWindowKeysTest, OpeningManageScrollsThePageInsteadOfCuttingOffTheKeys) {
    Select(keyboard);
    auto* scroll = qobject_cast<QScrollArea*>(
        window->PaintManager().FindControl(QStringLiteral("device_page_scroll")).widget());
    ASSERT_NE(scroll, nullptr);
    const auto lowestKeyBottom = [&] {
        int bottom = 0;
        for (auto* key : keyboard->findChildren<QAbstractButton*>()) {
            if (key->objectName().startsWith(QLatin1String("key_")) && key->isVisible())
                bottom =
                    std::max(bottom, key->mapTo(scroll->widget(), key->rect().bottomLeft()).y());
        }
        return bottom;
    };
    EXPECT_LE(lowestKeyBottom(), scroll->viewport()->height()) << "all keys seen without scrolling";
    Click(keyboard, "profile_fun_spread_btn");
    // the layouts settle on later passes of the event loop
    const bool settled = QTest::qWaitFor([&] {
        return lowestKeyBottom() > scroll->viewport()->height() &&
               lowestKeyBottom() <= scroll->widget()->height();
    });
    EXPECT_TRUE(settled);
    EXPECT_GT(lowestKeyBottom(), scroll->viewport()->height()) << "Manage pushes the keys down";
    EXPECT_LE(lowestKeyBottom(), scroll->widget()->height()) << "and the page scrolls to them";
}

// Every function page of the keypad and the mouse fits the window's working width: none of
// them scrolls sideways (which would hide the tabs at the right of the profile bar).
TEST_F(MainWindowKeysTest, EveryFunctionPageFitsTheWindowsWidth) {
    window->setFixedSize(CMainWnd::kWorkingSize); // as fitted to a monitor with room for it
    auto* scroll = qobject_cast<QScrollArea*>(
        window->PaintManager().FindControl(QStringLiteral("device_page_scroll")).widget());
    ASSERT_NE(scroll, nullptr);
    const struct {
        vpc::devices::CCorvaneUSBDevice* device;
        std::vector<const char*> tabs;
    } pages[] = {
        {keyboard, {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"}},
        {mouseDevice,
         {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab", "cursor_Op_tab"}},
    };
    for (const auto& page : pages) {
        Select(page.device);
        for (const char* tab : page.tabs) {
            SCOPED_TRACE(tab);
            Click(page.device, tab);
            for (int pass = 0; pass < 3; ++pass) // the layouts settle as their requests are handled
                QCoreApplication::sendPostedEvents();
            // what the page's layout needs at least
            const int needed = scroll->widget()->minimumSizeHint().width();
            EXPECT_LE(needed, scroll->viewport()->width());
        }
    }
}

TEST_F(MainWindowKeysTest, AMediaKeyAndAMacroReachTheKeypadAndTheProfile) {
    Select(keyboard);
    // a macro to play, made on the macro page
    Click(keyboard, "macro_Op_tab");
    Click(keyboard, "macro_btn_name_add");

    Click(keyboard, "key_Op_tab");
    CKeySetControlUI* panel = vpc::panels::KeySetPanelOf(keyboard);
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->IsPanelShown()) << "hidden until a key is clicked";
    ASSERT_EQ(panel->Part("keyset_macro_combo").GetCount(), 1) << "the macro panel's names";

    Click(keyboard, "key_38"); // Num Lock
    ASSERT_TRUE(panel->IsPanelShown());
    Choose(*panel, "keyset_function_combo", panel->FindFunctionItem(7));
    EXPECT_EQ(panel->ShownPage(), 7);
    Choose(*panel, "keyset_media_combo", 1); // play / pause
    EXPECT_EQ(keyboard->GetKeyList()[38].current.assignment,
              (vpc::data::KeyAssignment{0x30, 0xCD, 0x00}));

    Click(keyboard, "key_59"); // 7
    Choose(*panel, "keyset_function_combo", panel->FindFunctionItem(9));
    Choose(*panel, "keyset_macro_combo", 0);
    Choose(*panel, "keyset_macro_over_combo", 2);
    EXPECT_TRUE(panel->Part("key_butt_prosave").IsEnabled());

    EXPECT_EQ(memory->KeyAt(KeypadKey::NumLock), (Code{0x20, 0x00, 0x53})) << "not yet written";
    Click(keyboard, "key_butt_prosave");
    EXPECT_EQ(memory->KeyAt(KeypadKey::NumLock), (Code{0x30, 0xCD, 0x00}));
    EXPECT_EQ(memory->KeyAt(KeypadKey::Pad7), (Code{0x70, 0x00, 0x02}));
    EXPECT_EQ(memory->KeyAt(KeypadKey::Pad8), (Code{0x20, 0x00, 0x60})) << "untouched";
    EXPECT_FALSE(panel->Part("key_butt_prosave").IsEnabled());
    const auto saved = KeysOnDisk();
    ASSERT_GT(saved.size(), 59u);
    EXPECT_EQ(saved[38].current.assignment, (vpc::data::KeyAssignment{0x30, 0xCD, 0x00}));
    EXPECT_EQ(saved[59].current.assignment, (vpc::data::KeyAssignment{0x70, 0x00, 0x02}));

    // the key shows its new function again when it is opened
    Click(keyboard, "key_38");
    EXPECT_EQ(panel->ShownPage(), 7);
    EXPECT_EQ(panel->Part("keyset_media_combo").GetCurSel(), 1);
}

TEST_F(MainWindowKeysTest, SystemSettingsReachTheKeypad) {
    Select(keyboard);
    Click(keyboard, "system_Op_tab");
    const std::uint8_t slot = memory->ActiveSlot();
    Click(keyboard, "polling_rate_option_2");
    EXPECT_EQ(memory->OnboardRecord(slot)[22], 2);
    Click(keyboard, "polling_rate_option_1");
    EXPECT_EQ(memory->OnboardRecord(slot)[22], 1);
    const bool winLock = keyboard->IsWinLockOn();
    Click(keyboard, "winlockflag_option");
    EXPECT_EQ(memory->OnboardRecord(slot)[21], winLock ? 0 : 1);
    EXPECT_EQ(keyboard->GetSystemSettings()[1] >> 16, 1u) << "polling rate in the profile";
}

TEST_F(MainWindowKeysTest, TheDeviceBarArrowsStopAtTheEnds) {
    vpc::devices::CDeviceList* list = window->DeviceList();
    std::vector<CCorvaneUSBDevice*> visible;
    for (int i = 0; i < list->EntryCount(); ++i)
        if (list->Entry(i) && list->Entry(i)->IsEntryVisible())
            visible.push_back(list->Entry(i)->Device());
    ASSERT_EQ(visible.size(), 2u);
    const auto press = [&](const char* name) {
        QWidget* arrow = window->PaintManager().FindControl(QString::fromLatin1(name)).widget();
        ASSERT_NE(arrow, nullptr) << name;
        qobject_cast<QAbstractButton*>(arrow)->click();
    };
    Select(visible[0]);
    press("device_select_prev");
    EXPECT_EQ(window->GetCurrentDevice(), visible[0]);
    press("device_select_next");
    EXPECT_EQ(window->GetCurrentDevice(), visible[1]);
    press("device_select_next");
    EXPECT_EQ(window->GetCurrentDevice(), visible[1]);
    press("device_select_prev");
    EXPECT_EQ(window->GetCurrentDevice(), visible[0]);
}

TEST_F(MainWindowKeysTest, TheMousesOnlyLeftButtonCannotBeOpened) {
    Select(mouseDevice);
    Click(mouseDevice, "key_Op_tab");
    QStringList messages;
    vpc::panels::KeySetRouteServices services;
    services.showMessage = [&](const QString& text) { messages << text; };
    const vpc::panels::CurrentDevice current{mouseDevice, 2};
    std::vector<vpc::data::KeyEntry> keys = mouseDevice->GetKeyList();
    int left = -1;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i].current.assignment == vpc::data::KeyAssignment{0x10, 0x01, 0x00})
            left = left < 0 ? static_cast<int>(i) : -2;
    ASSERT_GE(left, 0) << "one left button";
    CKeySetControlUI* panel = vpc::panels::KeySetPanelOf(mouseDevice);
    ASSERT_NE(panel, nullptr);

    vpc::panels::OpenDeviceKey(current, left, services);
    EXPECT_EQ(messages.size(), 1);
    EXPECT_FALSE(panel->IsPanelShown()) << "the editor stays as it was";

    // with a second left button either can be opened
    const int other = left == 1 ? 2 : 1;
    keys[static_cast<std::size_t>(other)].current.assignment = {0x10, 0x01, 0x00};
    mouseDevice->SetKeyList(keys);
    vpc::panels::OpenDeviceKey(current, left, services);
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(panel->IsPanelShown());
    EXPECT_EQ(panel->ShownPage(), 0) << "left is this button's own function";
}

} // namespace
