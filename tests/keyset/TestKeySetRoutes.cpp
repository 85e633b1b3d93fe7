// The key assignment routes on a keyboard whose page holds the panel: which current devices
// they act for, applying, cancelling and restoring, and keys captured from the real keyboard.
#include "KeySetControlUI.h"
#include "KeySetRoutes.h"

#include "CorvaneKeyboardDevice.h"
#include "SkinResources.h"

#include <gtest/gtest.h>

namespace vpc::test {
namespace {

using data::KeyAssignment;
using panels::CKeySetControlUI;
using panels::CurrentDevice;

constexpr int kKeyboardType = 1;
constexpr int kMousePadType = 3;
constexpr int kKey = 38; // Num Lock

class KeySetRoutesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            CSkinResources::Instance().SetResourcePath(QString::fromUtf8(VPC_TEST_SKIN_DIR)));
        CSkinResources::Instance().LoadLanguage("en", "language/en.json");
        panel = new CKeySetControlUI(&keyboard); // owned by the keyboard's page
        panel->setObjectName(QStringLiteral("KeySetControlItem"));
        keyboard.SetUpKeyEditor(1, {});
        panel->InitControls();
        services.showMessage = [this](const QString& text) { messages << text; };
        services.keyCapture = [this](bool on) { captures.push_back(on); };
        panels::RegisterKeySetRoutes(routes, services);
        keyboard.SelectKey(kKey);
    }
    int Send(const char* type, const QString& name, CurrentDevice current) {
        QWidget* sender = panel->Part(name).widget();
        EXPECT_NE(sender, nullptr) << qPrintable(name);
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(type);
        msg.pSender = sender;
        return routes.Run(msg, current);
    }
    int Send(const char* type, const QString& name) {
        return Send(type, name, {&keyboard, kKeyboardType});
    }
    void Choose(int function) {
        panel->Part("keyset_function_combo").SelectItem(panel->FindFunctionItem(function), false);
        Send(DuiEvent::ItemSelect, "keyset_function_combo");
    }
    void Capture(std::uint32_t scan, bool extended = false) {
        panels::macro::KeyHookEvent event;
        event.scanCode = scan;
        event.flags = extended ? 1u : 0u;
        panels::CaptureKey({&keyboard, kKeyboardType}, event, services);
    }
    KeyAssignment Assigned() const { return keyboard.GetKeyList()[kKey].current.assignment; }
    bool EditButtonsEnabled() const { return panel->Part("key_butt_keysave").IsEnabled(); }

    devices::CCorvaneKeyboardDevice keyboard;
    CKeySetControlUI* panel = nullptr;
    panels::KeySetRouteServices services;
    panels::CRouteTable routes;
    QStringList messages;
    std::vector<bool> captures;
};

TEST_F(KeySetRoutesTest, RoutesActOnlyForAKeyboardOrAMouse) {
    ASSERT_TRUE(panel->IsPanelShown()) << "the device opened the key on its panel";
    panel->Part("keyset_function_combo").SelectItem(panel->FindFunctionItem(8), false);
    panel->Part("keyset_system_combo").SelectItem(1, false);
    QWidget pad;
    EXPECT_EQ(Send(DuiEvent::Click, "key_butt_keysave", {}), 0);
    EXPECT_EQ(Send(DuiEvent::Click, "key_butt_keysave", {&pad, kMousePadType}), 0);
    EXPECT_NE(Assigned(), (KeyAssignment{0x40, 0x02, 0x00}));

    // a name in other letters is the same control
    panel->Part("key_butt_keysave").widget()->setObjectName("KEY_BUTT_KeySave");
    EXPECT_EQ(Send(DuiEvent::Click, "KEY_BUTT_KeySave"), 1);
    EXPECT_EQ(Assigned(), (KeyAssignment{0x40, 0x02, 0x00}));
    EXPECT_EQ(keyboard.GetKeyList()[kKey].current.slot, kKey);
}

TEST_F(KeySetRoutesTest, ChoicesApplyAndTheButtonsFollow) {
    EXPECT_FALSE(EditButtonsEnabled());
    Choose(7);
    EXPECT_EQ(panel->ShownPage(), 7);
    panel->Part("keyset_media_combo").SelectItem(4, false);
    Send(DuiEvent::ItemSelect, "keyset_media_combo");
    EXPECT_EQ(Assigned(), (KeyAssignment{0x30, 0xB5, 0x00}));
    EXPECT_TRUE(EditButtonsEnabled());

    // cancel shows what the key has and disables the buttons; it does not undo
    panel->Part("keyset_media_combo").SelectItem(2, false);
    Send(DuiEvent::Click, "key_butt_keycancel");
    EXPECT_EQ(panel->Part("keyset_media_combo").GetCurSel(), 4);
    EXPECT_FALSE(EditButtonsEnabled());
    EXPECT_EQ(Assigned(), (KeyAssignment{0x30, 0xB5, 0x00}));

    // default shows the factory function; applying restores it
    Send(DuiEvent::Click, "key_butt_keydefalut");
    EXPECT_TRUE(EditButtonsEnabled());
    EXPECT_EQ(Assigned(), (KeyAssignment{0x30, 0xB5, 0x00})) << "nothing applied yet";
    Send(DuiEvent::Click, "key_butt_keysave");
    EXPECT_EQ(Assigned(), keyboard.GetKeyList()[kKey].defaults.assignment);

    // a movement typed into its boxes applies when the box is left
    Choose(2);
    panel->Part("keyset_mouseswing_combo").SelectItem(1, false);
    panel->Part("keyset_mouseswing_num_edit").SetText("33");
    Send(DuiEvent::KillFocus, "keyset_mouseswing_num_edit");
    EXPECT_EQ(Assigned().type, 0x11);
    EXPECT_EQ(Assigned().code2, 0xA1);

    // a modifier option alone, then applied
    Choose(6);
    panel->Part("key_ComBox_check_3").Selected(true, false);
    Send(DuiEvent::SelectChanged, "key_ComBox_check_3");
    EXPECT_EQ(panel->GetModifier(), 3);
    EXPECT_EQ(Assigned(), (KeyAssignment{0x20, 0x04, 0x00}));
}

TEST_F(KeySetRoutesTest, CapturedKeysBecomeTheAssignmentInTheOrderTheyCome) {
    Choose(6);
    // Ctrl, A, release A, release Ctrl: the last event wins, Ctrl alone
    Capture(0x1D);
    EXPECT_EQ(Assigned(), (KeyAssignment{0x20, 0x01, 0x00}));
    Capture(0x1E);
    EXPECT_EQ(Assigned(), (KeyAssignment{0x20, 0x01, 0x04}));
    EXPECT_EQ(panel->KeyNameText(), "A");
    Capture(0x1E);
    Capture(0x1D);
    EXPECT_EQ(Assigned(), (KeyAssignment{0x20, 0x01, 0x00}));
    EXPECT_EQ(panel->KeyNameText(), "");

    // Ctrl released before A: Ctrl + A stays
    Choose(6);
    Capture(0x1D);
    Capture(0x1E);
    Capture(0x1D);
    Capture(0x1E);
    EXPECT_EQ(Assigned(), (KeyAssignment{0x20, 0x01, 0x04}));

    // right Alt (E0 38) is an Alt option; a key without a modifier selects "none"
    Choose(6);
    Capture(0x38, true);
    EXPECT_EQ(panel->GetModifier(), 3);
    Choose(6);
    Capture(0x2C); // Z
    EXPECT_EQ(panel->GetModifier(), 0);
    EXPECT_EQ(Assigned(), (KeyAssignment{0x20, 0x00, 0x1D}));
    EXPECT_EQ(panel->KeyNameText(), "Z");

    // a scan code no key has, and one past a byte, change nothing
    Capture(0x7F);
    Capture(0x11E);
    EXPECT_EQ(Assigned(), (KeyAssignment{0x20, 0x00, 0x1D}));
}

TEST_F(KeySetRoutesTest, TheKeyNameBoxTurnsCaptureOnAndOff) {
    Send(DuiEvent::SetFocus, "keyset_keyboard_text_edit", {});
    Send(DuiEvent::KillFocus, "keyset_keyboard_text_edit", {});
    EXPECT_EQ(captures, (std::vector<bool>{true, false}));
}

} // namespace
} // namespace vpc::test
