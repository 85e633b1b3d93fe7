// The macro panel built from its layout: macros added, recorded into, saved to their file and
// opened again; the delay column and the mouse insertion edits.
#include "MacroControlUI.h"
#include "MacroRoutes.h"

#include "CorvaneKeyboardDevice.h"

#include "MacroStore.h"
#include "SkinResources.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace vpc::test {
namespace {

using namespace panels::macro;

class MacroPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(
            CSkinResources::Instance().SetResourcePath(QString::fromUtf8(VPC_TEST_SKIN_DIR)));
        CSkinResources::Instance().LoadLanguage("en", "language/en.json");
        panel = std::make_unique<panels::CMacroControlUI>();
        panel->SetClock([this] { return now; });
        panel->setProperty("macroFolder", folder.path());
    }
    KeyHookEvent Key(std::uint32_t message, std::uint32_t scan) {
        KeyHookEvent e;
        e.message = message;
        e.scanCode = scan;
        return e;
    }
    QTemporaryDir folder;
    std::uint64_t now = 5000;
    std::unique_ptr<panels::CMacroControlUI> panel;
};

TEST_F(MacroPanelTest, ARecordedMacroIsSavedToItsFileAndOpensAgain) {
    ASSERT_EQ(panel->AddMacro(), "macro_1");
    EXPECT_EQ(panel->MacroNames(), QStringList{"macro_1"});
    EXPECT_TRUE(panel->Part("macro_action_layout").IsEnabled());
    panel->BeginRecording(TimeMode::Recorded);
    EXPECT_FALSE(panel->Part("macro_btn_starredio").IsVisible());
    EXPECT_TRUE(panel->Part("macro_btn_stopredio").widget()->isVisibleTo(panel.get()));
    panel->RecordKey(RecordPosition::Append, Key(0x100, 0x1E));
    now += 240;
    panel->RecordKey(RecordPosition::Append, Key(0x101, 0x1E));
    panel->EndRecording();
    EXPECT_TRUE(panel->SaveSelectedMacro());

    const std::vector<Json::Value> events =
        data::CMacroStore(folder.path().toStdString()).Events(0);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0]["Action"].asString(), "down");
    EXPECT_EQ(events[0]["Delay"].asString(), "240");
    EXPECT_EQ(events[1]["Action"].asString(), "up");

    panel->DeleteAllActions();
    panel->OpenSelectedMacro();
    auto* view = panel->findChild<QTableView*>("macro_action_list");
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->model()->rowCount(), 2);
    EXPECT_EQ(view->model()->index(0, 0).data().toString(), "A");
    EXPECT_EQ(view->model()->index(0, 2).data().toString(), "240");
    // the delay column takes digits up to 65535
    EXPECT_TRUE(view->model()->setData(view->model()->index(1, 2), "99999", Qt::EditRole));
    EXPECT_EQ(view->model()->index(1, 2).data().toString(), "65535");
}

TEST_F(MacroPanelTest, MovesAreInsertedWithTheDistanceOfTheirEdit) {
    panel->AddMacro();
    auto* left = panel->findChild<QLineEdit*>("mouse_x_left_edit");
    ASSERT_NE(left, nullptr);
    left->setText("300");
    EXPECT_TRUE(panel->InsertMouseAction(mouse_message::kMove, 0));
    ASSERT_EQ(panel->Recorder().RowCount(), 1);
    EXPECT_EQ(panel->Recorder().Rows()[0].action["Button"].asInt(), 44);
    EXPECT_EQ(panel->Recorder().Rows()[0].action["Type"].asInt(), 4);
    auto* view = panel->findChild<QTableView*>("macro_action_list");
    EXPECT_EQ(view->model()->index(0, 1).data().toString(), "44");
}

TEST_F(MacroPanelTest, RemovingTheLastMacroLocksItsButtons) {
    panel->AddMacro();
    panel->AddMacro();
    EXPECT_EQ(panel->MacroNames(), (QStringList{"macro_1", "macro_2"}));
    panel->SelectMacro(0);
    EXPECT_TRUE(panel->RemoveSelectedMacro());
    EXPECT_EQ(panel->MacroNames(), QStringList{"macro_2"});
    panel->SelectMacro(0);
    EXPECT_TRUE(panel->RemoveSelectedMacro());
    EXPECT_FALSE(panel->Part("macro_btn_name_sub").IsEnabled());
    EXPECT_FALSE(panel->RemoveSelectedMacro());
}

} // namespace
} // namespace vpc::test

namespace vpc::test {
namespace {

TEST_F(MacroPanelTest, TheRowMenuInsertsClicksAndHandsRecordingsToTheRequester) {
    panel->AddMacro();
    int hookMode = 0;
    TimeMode mode = TimeMode::Recorded;
    panels::CMacroControlUI::SetRecordingRequester(
        [&](panels::CMacroControlUI&, int requestedMode, TimeMode requestedTime) {
            hookMode = requestedMode;
            mode = requestedTime;
        });
    panel->RunMenuItem("back_click");
    ASSERT_EQ(panel->Recorder().RowCount(), 2);
    EXPECT_EQ(panel->Recorder().Rows()[0].action["Button"].asInt(), 8);
    EXPECT_EQ(panel->Recorder().Rows()[0].action["Action"].asString(), "down");
    EXPECT_EQ(panel->Recorder().Rows()[1].action["Action"].asString(), "up");
    EXPECT_EQ(data::CMacroStore(folder.path().toStdString()).Events(0).size(), 2u) << "saved";
    panel->RunMenuItem("redio_later_ignore_time");
    EXPECT_EQ(hookMode, 16);
    EXPECT_EQ(mode, TimeMode::Ignored);
    panel->RunMenuItem("macro_action_edit");
    EXPECT_EQ(hookMode, 32);
    panels::CMacroControlUI::SetRecordingRequester({});
}

// A double click on a row of the action list opens the row menu as a right click does; on the
// delay it edits the delay instead, and the panel may go while it does.
TEST_F(MacroPanelTest, ADoubleClickedRowOpensTheRowMenuAndTheDelayIsEdited) {
    panel->AddMacro();
    panel->RunMenuItem("back_click"); // two rows
    panel->resize(900, 600);
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    auto* view = panel->findChild<QTableView*>("macro_action_list");
    ASSERT_NE(view, nullptr);
    // the menu runs its own loop: what it offers is read, then it is closed, from a timer
    QStringList offered;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (const QAction* action : menu->actions())
                if (!action->isSeparator())
                    offered << action->objectName();
            menu->close();
        }
    });
    closer.start(10);
    const auto doubleClick = [view](int row, int column) {
        const QPoint at = view->visualRect(view->model()->index(row, column)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    };
    doubleClick(1, 0);
    EXPECT_TRUE(offered.contains("back_click")) << qPrintable(offered.join(','));
    EXPECT_TRUE(offered.contains("macro_action_edit")) << qPrintable(offered.join(','));
    offered.clear();
    doubleClick(0, 2);
    QTest::qWait(50); // a menu would have been seen by now
    EXPECT_TRUE(offered.isEmpty()) << qPrintable(offered.join(','));
    EXPECT_NE(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr) << "the delay editor";
    closer.stop();
    panel.reset(); // closed while the delay is being edited: nothing is written into the gone panel
}

} // namespace
} // namespace vpc::test

namespace vpc::test {
namespace {

TEST_F(MacroPanelTest, DeletingAMacroTheKeysUseAsksTwiceAndDecliningChangesNothing) {
    // a keyboard whose page holds the panel, with key 5 playing macro 1 (the second one)
    devices::CCorvaneKeyboardDevice keyboard;
    panel->setParent(&keyboard);
    panel->AddMacro();
    panel->AddMacro();
    std::vector<data::KeyEntry> keys = keyboard.GetKeyList();
    keys[5].current.assignment = {data::assignment_type::kMacro, 1, 0};
    keyboard.SetKeyList(keys);

    QStringList asked;
    bool confirmSecond = false;
    panels::MacroRouteServices services;
    services.confirm = [&](const QString& id) {
        asked << id;
        return id == "message_text_4" || confirmSecond;
    };
    panels::CRouteTable routes;
    panels::RegisterMacroRoutes(routes, services);
    const auto deleteSelected = [&] {
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(DuiEvent::Click);
        msg.pSender = panel->Part("macro_btn_name_sub").widget();
        return routes.Run(msg, {&keyboard, 1});
    };

    panel->SelectMacro(1);
    EXPECT_EQ(deleteSelected(), 1);
    EXPECT_EQ(asked, (QStringList{"message_text_4", "message_text_2"}));
    EXPECT_EQ(panel->MacroNames(), (QStringList{"macro_1", "macro_2"})) << "declined: kept";
    EXPECT_EQ(keyboard.GetKeyList()[5].current.assignment.code1, 1);

    // a macro no key uses goes after the first question
    asked.clear();
    panel->SelectMacro(0);
    deleteSelected();
    EXPECT_EQ(asked, QStringList{"message_text_4"});
    EXPECT_EQ(panel->MacroNames(), QStringList{"macro_2"});
    panel->setParent(nullptr);
}

} // namespace
} // namespace vpc::test
