// The key assignment panel built from its layout: what each page builds from the user's
// choices, and on which page (with which choices) an assignment is shown again.
#include "KeySetControlUI.h"

#include "SkinResources.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QListView>
#include <gtest/gtest.h>

namespace vpc::test {
namespace {

using data::KeyAssignment;
using data::KeyEntry;
using panels::CKeySetControlUI;
namespace keyset = panels::keyset;

// Esc's factory assignment: the default half of every key used below.
constexpr KeyAssignment kEsc{0x20, 0x00, 0x29};

class KeySetPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            CSkinResources::Instance().SetResourcePath(QString::fromUtf8(VPC_TEST_SKIN_DIR)));
        CSkinResources::Instance().LoadLanguage("en", "language/en.json");
        panel.SetDeviceKind(2);
        panel.SetMacroNames({"macro_1", "macro_2", "macro_3"});
        panel.InitControls();
        Open({0x10, 0x01, 0x00});
    }
    // Opens a key (slot 7) whose default is Esc with the assignment given.
    void Open(KeyAssignment current) {
        panel.ShowPanel(true);
        panel.SetKey(KeyEntry::Make(7, current, kEsc));
    }
    void Choose(int function) {
        ASSERT_TRUE(panel.Part("keyset_function_combo")
                        .SelectItem(panel.FindFunctionItem(function), false));
        panel.OnFunctionChanged();
    }
    void Pick(const char* list, int item) { panel.Part(list).SelectItem(item, false); }
    void Type(const char* edit, const char* text) { panel.Part(edit).SetText(text); }
    KeyAssignment Build() { return panel.BuildAssignment().current.assignment; }
    QString Shown(const char* edit) { return panel.Part(edit).GetText(); }

    CKeySetControlUI panel;
};

TEST_F(KeySetPanelTest, EachPageBuildsItsAssignment) {
    struct Case {
        const char* what;
        int function;
        std::vector<std::pair<const char*, int>> picks;
        std::vector<std::pair<const char*, const char*>> typed;
        KeyAssignment expected;
    };
    const Case cases[] = {
        {"middle button", 1, {{"keyset_mousekey_combo", 1}}, {}, {0x10, 0x04, 0x00}},
        {"back button", 1, {{"keyset_mousekey_combo", 4}}, {}, {0x10, 0x08, 0x00}},
        {"move 200 left",
         2,
         {{"keyset_mouseswing_combo", 0}},
         {{"keyset_mouseswing_num_edit", "200"},
          {"keyset_mouseswing_delay_edit", "17"},
          {"keyset_mouseswing_speed_edit", "5"}},
         {0x11, 0x15, 0x48}},
        {"move 200 right",
         2,
         {{"keyset_mouseswing_combo", 1}},
         {{"keyset_mouseswing_num_edit", "200"},
          {"keyset_mouseswing_delay_edit", "3"},
          {"keyset_mouseswing_speed_edit", "9"}},
         {0x11, 0x39, 0xC8}},
        {"wheel 3 down",
         3,
         {{"keyset_mousewheel_combo", 1}},
         {{"keyset_mousewheel_num_edit", "3"},
          {"keyset_mousewheel_delay_edit", "2"},
          {"keyset_mousewheel_speed_edit", "6"}},
         {0x12, 0x26, 0xFD}},
        {"wheel 0 down",
         3,
         {{"keyset_mousewheel_combo", 1}},
         {{"keyset_mousewheel_num_edit", "0"},
          {"keyset_mousewheel_delay_edit", "1"},
          {"keyset_mousewheel_speed_edit", "4"}},
         {0x12, 0x14, 0x80}},
        {"wheel 5 up",
         3,
         {{"keyset_mousewheel_combo", 0}},
         {{"keyset_mousewheel_num_edit", "5"},
          {"keyset_mousewheel_delay_edit", "x"},
          {"keyset_mousewheel_speed_edit", "15"}},
         {0x12, 0x0F, 0x05}},
        {"DPI loop", 4, {{"keyset_mousedpi_combo", 2}}, {}, {0x13, 0x03, 0x00}},
        {"rapid fire",
         5,
         {},
         {{"keyset_mousefire_interval_edit", "40"}, {"keyset_mousefire_num_edit", "300"}},
         {0x14, 40, 0x2C}},
        {"play", 7, {{"keyset_media_combo", 1}}, {}, {0x30, 0xCD, 0x00}},
        {"mail", 7, {{"keyset_media_combo", 17}}, {}, {0x30, 0x8A, 0x01}},
        {"wake up", 8, {{"keyset_system_combo", 2}}, {}, {0x40, 0x04, 0x00}},
        {"macro 2, mode 1",
         9,
         {{"keyset_macro_combo", 2}, {"keyset_macro_over_combo", 1}},
         {},
         {0x70, 2, 1}},
        {"macro 2, ten times",
         9,
         {{"keyset_macro_combo", 2}, {"keyset_macro_over_combo", 4}},
         {{"keyset_macro_cycle_edit", "10"}},
         {0x71, 2, 10}},
        {"gun 4", 10, {{"keyset_gunkey_combo", 3}}, {}, {0x72, 3, 0x00}},
        {"open", 11, {{"keyset_combokey_combo", 0}}, {}, {0x20, 0x01, 0x12}},
        {"zoom in", 11, {{"keyset_combokey_combo", 10}}, {}, {0x20, 0x01, 0x2E}},
        {"default", 0, {}, {}, kEsc},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open({0x10, 0x01, 0x00});
        Choose(c.function);
        EXPECT_EQ(panel.ShownPage(), c.function);
        for (const auto& [list, item] : c.picks)
            Pick(list, item);
        for (const auto& [edit, text] : c.typed)
            Type(edit, text);
        EXPECT_EQ(Build(), c.expected);
        EXPECT_EQ(panel.Current().slot, 7) << "the slot stays";
    }
}

TEST_F(KeySetPanelTest, AnAssignmentIsShownOnItsPageWithItsValues) {
    Open({0x11, 0x15, 0xC8}); // delay 1, speed 5, distance 72 to the right
    EXPECT_EQ(panel.SelectedFunction(), 2);
    EXPECT_EQ(panel.ShownPage(), 2);
    EXPECT_EQ(Shown("keyset_mouseswing_num_edit"), "72");
    EXPECT_EQ(Shown("keyset_mouseswing_delay_edit"), "1");
    EXPECT_EQ(Shown("keyset_mouseswing_speed_edit"), "5");
    EXPECT_EQ(panel.Part("keyset_mouseswing_combo").GetCurSel(), 1);

    Open({0x12, 0x26, 0xFD});
    EXPECT_EQ(panel.ShownPage(), 3);
    EXPECT_EQ(Shown("keyset_mousewheel_num_edit"), "3");
    EXPECT_EQ(panel.Part("keyset_mousewheel_combo").GetCurSel(), 1);
    Open({0x12, 0x14, 0x80});
    EXPECT_EQ(Shown("keyset_mousewheel_num_edit"), "128");

    Open({0x30, 0xE9, 0x00});
    EXPECT_EQ(panel.ShownPage(), 7);
    EXPECT_EQ(panel.Part("keyset_media_combo").GetCurSel(), 6);

    Open({0x71, 1, 9});
    EXPECT_EQ(panel.ShownPage(), 9);
    EXPECT_EQ(panel.Part("keyset_macro_combo").GetCurSel(), 1);
    EXPECT_EQ(panel.Part("keyset_macro_over_combo").GetCurSel(), 4);
    EXPECT_EQ(Shown("keyset_macro_cycle_edit"), "9");
    EXPECT_FALSE(panel.Part("keyset_macro_cycle_layout").widget()->isHidden());
    Open({0x70, 2, 3});
    EXPECT_EQ(panel.Part("keyset_macro_combo").GetCurSel(), 2);
    EXPECT_EQ(panel.Part("keyset_macro_over_combo").GetCurSel(), 3);
    EXPECT_TRUE(panel.Part("keyset_macro_cycle_layout").widget()->isHidden());

    Open({0x72, 2, 0});
    EXPECT_EQ(panel.ShownPage(), 10);
    EXPECT_EQ(panel.Part("keyset_gunkey_combo").GetCurSel(), 2);
}

TEST_F(KeySetPanelTest, KeysWithModifiersShowTheOptionAndTheKeyName) {
    Open({0x20, 0x10, 0x04}); // right Ctrl + A
    EXPECT_EQ(panel.ShownPage(), 6);
    EXPECT_EQ(panel.GetModifier(), 1);
    EXPECT_EQ(panel.KeyNameText(), "A");
    EXPECT_EQ(Build(), (KeyAssignment{0x20, 0x01, 0x04})) << "applied again as left Ctrl";

    Open({0x20, 0x03, 0x04}); // Ctrl and Shift + A: no single option
    EXPECT_EQ(panel.GetModifier(), 0);
    EXPECT_EQ(panel.KeyNameText(), "A");
    EXPECT_EQ(Build(), (KeyAssignment{0x20, 0x00, 0x04}));

    Open({0x20, 0x01, 0x00}); // Ctrl alone
    EXPECT_EQ(panel.GetModifier(), 1);
    EXPECT_EQ(panel.KeyNameText(), "");

    Open({0x20, 0x40, 0x2C}); // right Alt + Space
    EXPECT_EQ(panel.GetModifier(), 3);
    EXPECT_EQ(panel.KeyNameText(), "Space");

    // Ctrl + O chosen as an editing shortcut is shown again as a key with Ctrl
    Choose(11);
    Pick("keyset_combokey_combo", 0);
    const KeyAssignment open = Build();
    Open(open);
    EXPECT_EQ(panel.ShownPage(), 6);
    EXPECT_EQ(panel.GetModifier(), 1);
    EXPECT_EQ(panel.KeyNameText(), "O");

    // choosing the keyboard page anew clears the option and the name
    Open({0x10, 0x02, 0x00});
    Choose(6);
    EXPECT_EQ(panel.GetModifier(), -1);
    EXPECT_EQ(panel.KeyNameText(), "");
    EXPECT_EQ(Build(), (KeyAssignment{0x20, 0x00, 0x00}));
}

TEST_F(KeySetPanelTest, TheDefaultAlwaysOpensOnTheDefaultPageAndCanBeRestored) {
    Open(kEsc);
    EXPECT_EQ(panel.SelectedFunction(), 0);
    EXPECT_EQ(panel.ShownPage(), 0);
    EXPECT_TRUE(panel.IsPanelShown());

    Open({0x30, 0xB5, 0x00});
    EXPECT_EQ(panel.ShownPage(), 7);
    panel.ShowDefault();
    EXPECT_EQ(panel.SelectedFunction(), 0);
    EXPECT_EQ(Build(), kEsc);
}

TEST_F(KeySetPanelTest, TypesWithoutAPageHideTheEditor) {
    for (const KeyAssignment a : {KeyAssignment{0xA0, 0x01, 0x00}, KeyAssignment{0xD0, 0xA2, 0x03},
                                  KeyAssignment{0x16, 0x00, 0x00}}) {
        Open(a);
        EXPECT_FALSE(panel.IsPanelShown()) << int(a.type);
    }
    Open({0x40, 0x02, 0x00});
    EXPECT_TRUE(panel.IsPanelShown());
}

TEST_F(KeySetPanelTest, AMacroIndexAtTheEndOfTheListSelectsNothingAndKeepsTheKey) {
    Open({0x70, 3, 1}); // three macros: index 3 is past the end
    EXPECT_EQ(panel.ShownPage(), 9);
    EXPECT_EQ(panel.Part("keyset_macro_combo").GetCurSel(), -1);
    EXPECT_EQ(panel.Part("keyset_macro_over_combo").GetCurSel(), -1);
    EXPECT_EQ(Build(), (KeyAssignment{0x70, 3, 1}));
    Open({0x70, 2, 1});
    EXPECT_EQ(panel.Part("keyset_macro_combo").GetCurSel(), 2);

    // the macro list follows the macro panel
    panel.RenameMacroName(1, "burst");
    EXPECT_EQ(panel.Part("keyset_macro_combo").GetItemText(1), "burst");
    panel.RemoveMacroName(0);
    panel.AddMacroName("combo");
    EXPECT_EQ(panel.Part("keyset_macro_combo").GetCount(), 3);
    EXPECT_EQ(panel.Part("keyset_macro_combo").GetItemText(2), "combo");
}

TEST_F(KeySetPanelTest, AKeyboardIsNotOfferedDpiOrGunPresets) {
    auto* combo = panel.Part("keyset_function_combo").as<QComboBox>();
    auto* view = qobject_cast<QListView*>(combo->view());
    ASSERT_NE(view, nullptr);
    for (int f = 0; f < keyset::kFunctionCount; ++f)
        EXPECT_FALSE(view->isRowHidden(panel.FindFunctionItem(f))) << "mouse, function " << f;
    panel.SetDeviceKind(1);
    for (int f = 0; f < keyset::kFunctionCount; ++f)
        EXPECT_EQ(view->isRowHidden(panel.FindFunctionItem(f)), f == 4 || f == 10) << f;
}

TEST(KeySetRules, ModifierOptionsAndNumbers) {
    // rows 0-7 of the key table: LCtrl LShift LAlt LWin RCtrl RShift RAlt RWin
    const int options[] = {1, 2, 3, 4, 1, 2, 3, 4};
    for (int row = 0; row < 8; ++row)
        EXPECT_EQ(keyset::ModifierOptionOfRow(row), options[row]) << row;
    EXPECT_EQ(keyset::ModifierBit(0), 0);
    EXPECT_EQ(keyset::ModifierBit(1), 0x01);
    EXPECT_EQ(keyset::ModifierBit(4), 0x08);
    EXPECT_EQ(keyset::ModifierBit(5), 0);
    EXPECT_EQ(keyset::ModifierBit(-1), 0);
    EXPECT_EQ(keyset::ReadDecimal(" 42ms"), 42);
    EXPECT_EQ(keyset::ReadDecimal("ms42"), 0);
    EXPECT_EQ(keyset::ReadDecimal(""), 0);
    EXPECT_EQ(keyset::ReadDecimal("-3"), -3);
    EXPECT_EQ(keyset::ReadDecimal("99999999999"), 2147483647);
}

// A new language gives the key name box the key's name in it, unless the box says something
// else by now.
TEST_F(KeySetPanelTest, TheKeyNameFollowsANewLanguage) {
    CSkinResources& skin = CSkinResources::Instance();
    const auto switchTo = [&](const char* name, const char* file) {
        ASSERT_TRUE(skin.LoadLanguage(name, file));
        skin.ReloadTexts(&panel);
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(&panel, &change);
    };
    panel.SetKeyName("kb_key_backspace");
    EXPECT_EQ(panel.KeyNameText(), "Bksp");
    switchTo("zh_CN", "language/zh_CN.json");
    EXPECT_EQ(panel.KeyNameText(), QString::fromUtf8("退格"));
    panel.Part("keyset_keyboard_text_edit").SetText("Left Ctrl+B");
    switchTo("en", "language/en.json");
    EXPECT_EQ(panel.KeyNameText(), "Left Ctrl+B");
}

} // namespace
} // namespace vpc::test
