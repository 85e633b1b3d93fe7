// Control lookup, events from real widget interaction, silent changes and timers.
#include "TestWindow.h"

#include "DialogBuilder.h"
#include "MenuWnd.h"
#include "SilentScope.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseTestSkin();
        ASSERT_TRUE(window.Create(nullptr, "test", 0, 0, 400, 500));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(20); // the queued "windowinit"
        window.events.clear();
    }

    template <typename T> T* Control(const QString& name) {
        T* control = window.PaintManager().FindControlAs<T>(name);
        EXPECT_NE(control, nullptr) << qPrintable(name);
        return control;
    }

    TestWindow window;
};

TEST_F(ToolkitTest, LookupIsCaseInsensitiveFirstInTreeOrderAndTakesAnyName) {
    CPaintManagerUI& pm = window.PaintManager();
    EXPECT_EQ(pm.FindControl("SHARED_NAME").GetText(), "first");
    EXPECT_EQ(
        pm.FindSubControlByName(pm.FindControl("second_branch").widget(), "shared_name").GetText(),
        "second");
    EXPECT_EQ(pm.FindControl("virtual7.1_op_tab").GetText(), "7.1");
    EXPECT_TRUE(pm.FindControl("6533_EQ_OPTION_1"));
    EXPECT_TRUE(pm.FindControl("root"));
    EXPECT_FALSE(pm.FindControl("no_such_control"));
    EXPECT_FALSE(
        pm.FindSubControlByName(pm.FindControl("first_branch").widget(), "Virtual7.1_Op_tab"));
    EXPECT_TRUE(pm.FindControl("custom_control").widget()->property("madeByFactory").toBool());
    // A class that this build does not provide keeps an empty place.
    EXPECT_EQ(pm.FindControl("future_control").widget()->property("missingClass").toString(),
              "CNotBuiltYetUI");
}

TEST_F(ToolkitTest, ButtonsAndOptionsRaiseClickAndSelectChanged) {
    QTest::mouseClick(Control<QAbstractButton>("apply_btn"), Qt::LeftButton);
    ASSERT_EQ(window.Of("click").size(), 1u);
    EXPECT_EQ(window.Of("click")[0].sender, "apply_btn");

    window.events.clear();
    QTest::mouseClick(Control<QAbstractButton>("eq_option_2"), Qt::LeftButton);
    QTest::mouseClick(Control<QAbstractButton>("6533_eq_option_1"), Qt::LeftButton);
    const auto changes = window.Of("selectchanged");
    ASSERT_EQ(changes.size(), 3u); // option 2 on, then option 2 off and option 1 on
    EXPECT_EQ(changes[0].sender, "eq_option_2");
    EXPECT_EQ(changes[0].wParam, 1u);
    EXPECT_EQ(window.Of("click").size(), 2u);
    EXPECT_TRUE(CControlUI(window.FindControl("6533_eq_option_1")).IsSelected());

    window.events.clear();
    auto* check = Control<QAbstractButton>("sync_check");
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2)); // on the box
    EXPECT_EQ(window.Of("selectchanged").size(), 1u);
}

TEST_F(ToolkitTest, ComboSelectionRaisesItemSelectWithNewAndOldIndex) {
    auto* combo = Control<QComboBox>("mode_combo");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    const auto selections = window.Of("itemselect");
    ASSERT_EQ(selections.size(), 2u);
    EXPECT_EQ(selections[1].wParam, 2u);
    EXPECT_EQ(selections[1].lParam, 1);
    EXPECT_EQ(window.Of("setfocus").size(), 1u);
}

TEST_F(ToolkitTest, SliderDragMovesThenReleasesAndKeysChangeValue) {
    auto* slider = Control<QSlider>("level_slider");
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = Qt::Horizontal;
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->value();
    const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &option,
                                                         QStyle::SC_SliderHandle, slider);
    QTest::mousePress(slider, Qt::LeftButton, {}, handle.center());
    QMouseEvent move(QEvent::MouseMove, QPointF(slider->width() - 2, handle.center().y()),
                     slider->mapToGlobal(QPointF(slider->width() - 2, handle.center().y())),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(slider, &move);
    QTest::mouseRelease(slider, Qt::LeftButton, {},
                        QPoint(slider->width() - 2, handle.center().y()));

    EXPECT_FALSE(window.Of("movevaluechanged").empty());
    const auto released = window.Of("valuechanged");
    ASSERT_EQ(released.size(), 1u);
    EXPECT_EQ(released[0].wParam, 4u);

    window.events.clear();
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Left);
    ASSERT_EQ(window.Of("valuechanged").size(), 1u);
    EXPECT_EQ(window.Of("valuechanged")[0].wParam, 3u);
    EXPECT_TRUE(window.Of("movevaluechanged").empty());
}

TEST_F(ToolkitTest, EditRaisesFocusTextAndReturnEvents) {
    auto* edit = Control<QLineEdit>("name_edit");
    edit->setFocus();
    QTest::keyClicks(edit, "ab");
    QTest::keyClick(edit, Qt::Key_Return);
    Control<QAbstractButton>("apply_btn")->setFocus(); // focus leaves the edit
    const QStringList expected = {"setfocus", "textchanged", "textchanged", "return", "killfocus"};
    QStringList seen;
    for (const auto& event : window.events) {
        if (event.sender == "name_edit") {
            seen << event.type;
        }
    }
    EXPECT_EQ(seen, expected);
}

TEST_F(ToolkitTest, ListRaisesItemClickAndItemActivate) {
    auto* list = Control<QListWidget>("macro_list");
    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_EQ(window.Of("itemclick").size(), 1u);
    EXPECT_EQ(window.Of("itemclick")[0].wParam, 1u);
    EXPECT_EQ(window.Of("itemselect").size(), 1u);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(window.Of("itemactivate").size(), 1u);
}

TEST_F(ToolkitTest, ProgrammaticChangesWithoutNotificationStaySilent) {
    CPaintManagerUI& pm = window.PaintManager();
    pm.FindControl("mode_combo").SelectItem(2, false);
    pm.FindControl("6533_eq_option_1").Selected(true, false);
    pm.FindControl("eq_option_2").Selected(true, false);
    pm.FindControl("level_slider").SetValue(3);
    pm.FindControl("name_edit").SetText("silent");
    pm.FindControl("macro_list").SelectItem(1, false);
    pm.FindControl("battery_progress").SetValue(150);
    EXPECT_TRUE(window.events.empty()) << qPrintable(window.events.front().type);
    EXPECT_EQ(pm.FindControl("mode_combo").GetCurSel(), 2);
    EXPECT_EQ(pm.FindControl("level_slider").GetValue(), 3);
    EXPECT_EQ(pm.FindControl("battery_progress").GetValue(), 100);

    // With notification the same change is reported, old index included.
    pm.FindControl("mode_combo").SelectItem(0, true);
    ASSERT_EQ(window.Of("itemselect").size(), 1u);
    EXPECT_EQ(window.Of("itemselect")[0].lParam, 2);
    EXPECT_FALSE(pm.FindControl("mode_combo").SelectItem(7, true));
}

TEST_F(ToolkitTest, TimersNotifyPerControlAndIdUntilKilled) {
    CPaintManagerUI& pm = window.PaintManager();
    QWidget* button = pm.FindControl("apply_btn").widget();
    QWidget* combo = pm.FindControl("mode_combo").widget();
    ASSERT_TRUE(pm.SetTimer(button, 1000, 10));
    ASSERT_TRUE(pm.SetTimer(combo, 1000, 10));
    ASSERT_TRUE(pm.SetTimer(button, 1005, 10));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.Of("timer").size() >= 6; }, 2000));
    bool sawButton1005 = false;
    bool sawCombo1000 = false;
    for (const auto& event : window.Of("timer")) {
        sawButton1005 |= event.sender == "apply_btn" && event.wParam == 1005;
        sawCombo1000 |= event.sender == "mode_combo" && event.wParam == 1000;
    }
    EXPECT_TRUE(sawButton1005);
    EXPECT_TRUE(sawCombo1000);

    EXPECT_TRUE(pm.KillTimer(button, 1000));
    EXPECT_FALSE(pm.KillTimer(button, 1000));
    pm.KillTimers(button);
    delete combo; // a destroyed control loses its timers
    EXPECT_FALSE(pm.HasTimer(combo, 1000));
    window.events.clear();
    QTest::qWait(50);
    EXPECT_TRUE(window.Of("timer").empty());
}

class CountingTimerControl : public QWidget, public ITimerTargetUI {
public:
    bool OnControlTimer(int timerId) override {
        ++handled;
        return timerId == 7;
    }
    int handled = 0;
};

TEST_F(ToolkitTest, ControlThatHandlesItsTimerRaisesNoNotification) {
    CountingTimerControl control;
    control.setObjectName("own_timer");
    window.PaintManager().SetTimer(&control, 7, 5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return control.handled >= 3; }, 2000));
    window.PaintManager().KillTimers(&control);
    EXPECT_TRUE(window.Of("timer").empty());
}

TEST_F(ToolkitTest, SendNotifySynchronousAndAsynchronous) {
    CPaintManagerUI& pm = window.PaintManager();
    pm.SendNotify(pm.FindControl("apply_btn").widget(), "click_select_end", 3, 4, false);
    ASSERT_EQ(window.events.size(), 1u);
    EXPECT_EQ(window.events[0].wParam, 3u);
    pm.SendNotify(pm.FindControl("apply_btn").widget(), "colorchanged", 0, 0, true);
    EXPECT_EQ(window.events.size(), 1u);
    QTest::qWait(10);
    ASSERT_EQ(window.events.size(), 2u);
    EXPECT_EQ(window.events[1].type, "colorchanged");
}

TEST_F(ToolkitTest, FragmentsBuildInsideAWindowWithTheirOwnEvents) {
    QWidget* host = window.FindControl("second_branch").widget();
    QWidget* fragment =
        CDialogBuilder::Create("XML_FRAGMENT", nullptr, host, &window.PaintManager());
    ASSERT_NE(fragment, nullptr);
    host->layout()->addWidget(fragment);
    EXPECT_TRUE(window.PaintManager()
                    .FindSubControlByName(fragment, "custom_in_fragment")
                    .widget()
                    ->property("madeByFactory")
                    .toBool());
    QWidget* button = window.PaintManager().FindSubControlByName(fragment, "shared_name").widget();
    ASSERT_NE(button, nullptr);
    fragment->show();
    QTest::mouseClick(static_cast<QAbstractButton*>(button), Qt::LeftButton);
    EXPECT_EQ(window.Of("click").size(), 1u);
    // The first "shared_name" in tree order is still the one above the fragment.
    EXPECT_EQ(window.FindControl("shared_name").GetText(), "first");
}

TEST_F(ToolkitTest, ALayoutsPictureIsReadWhenItsLabelIsFirstShown) {
    QWidget* host = window.FindControl("second_branch").widget();
    QWidget* fragment =
        CDialogBuilder::Create("XML_FRAGMENT", nullptr, host, &window.PaintManager());
    ASSERT_NE(fragment, nullptr);
    auto* picture = fragment->findChild<QLabel*>("picture_in_fragment");
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->pixmap().isNull()) << "nothing is read while the page is hidden";
    host->layout()->addWidget(fragment);
    window.show();
    fragment->show();
    ASSERT_FALSE(picture->pixmap().isNull());
    EXPECT_EQ(picture->pixmap().size(), QSize(3, 2));
    EXPECT_EQ(picture->pixmap().toImage().pixel(2, 1), qRgba(200, 30, 90, 255));
}

TEST_F(ToolkitTest, LanguageTextsFollowTheLoadedLanguage) {
    EXPECT_EQ(window.FindControl("title_label").GetText(), "Title");
    EXPECT_EQ(window.FindControl("apply_btn").GetText(), "Apply");
    CSkinResources& skin = CSkinResources::Instance();
    ASSERT_TRUE(skin.LoadLanguage("Deutsch", "language/de.json"));
    skin.ReloadTexts(window.PaintManager().GetRoot());
    EXPECT_EQ(window.FindControl("title_label").GetText(), "Titel");
    EXPECT_EQ(skin.Translate("unknown_id"), "unknown_id");
    // Text the program set itself is not replaced by a language reload.
    window.FindControl("apply_btn").SetText("Custom");
    skin.ReloadTexts(window.PaintManager().GetRoot());
    EXPECT_EQ(window.FindControl("apply_btn").GetText(), "Custom");
    EXPECT_FALSE(skin.LoadLanguage("Missing", "language/none.json"));
    EXPECT_EQ(skin.Translate("test_title"), "test_title");
    EXPECT_TRUE(window.events.empty());
}

TEST(SkinResourcesTest, LayoutsResolveInsideTheSkinFolderOnly) {
    UseTestSkin();
    const CSkinResources& skin = CSkinResources::Instance();
    EXPECT_TRUE(skin.LayoutPath("xml_test").endsWith("layout/test.ui"));
    EXPECT_TRUE(skin.LayoutPath("layout\\fragment.xml").endsWith("layout/fragment.ui"));
    EXPECT_TRUE(skin.LayoutPath("XML_MISSING").isEmpty());
    EXPECT_TRUE(skin.LayoutPath("XML_OUTSIDE").isEmpty());
    EXPECT_TRUE(skin.LayoutPath("../ToolkitTest.cpp").isEmpty());
    EXPECT_EQ(CDialogBuilder::Create("XML_MISSING", nullptr, nullptr), nullptr);
    EXPECT_FALSE(CDialogBuilder::LastError().isEmpty());
}

TEST(ControlFactoryTest, KeepsRegistrationOrderAndMatchesNamesIgnoringCase) {
    CControlFactory factory;
    factory.RegisterControl("CCircleProgressUI", [] { return new QWidget; });
    factory.RegisterControl("CChartViewUI", [] { return new QWidget; });
    factory.RegisterControl("ccircleprogressui", [] { return nullptr; });
    EXPECT_EQ(factory.RegisteredNames(), QStringList({"CCircleProgressUI", "CChartViewUI"}));
    EXPECT_EQ(factory.CreateControl("CCIRCLEPROGRESSUI"), nullptr);
    const std::unique_ptr<QWidget> chart(factory.CreateControl("cchartviewui"));
    EXPECT_NE(chart, nullptr);
    EXPECT_EQ(factory.CreateControl("Unknown"), nullptr);
}

// Controls are made below the parent the builder gives, whether their function takes it or
// makes the control alone.
TEST(ControlFactoryTest, ControlsAreMadeBelowTheirParent) {
    CControlFactory factory;
    QWidget* seenParent = nullptr;
    factory.RegisterControl("CWithParentUI", [&seenParent](QWidget* parent) -> QWidget* {
        seenParent = parent;
        return new QWidget(parent);
    });
    factory.RegisterControl("CAloneUI", [] { return new QWidget; });
    QWidget host;
    QWidget* withParent = factory.CreateControl("cwithparentui", &host);
    EXPECT_EQ(seenParent, &host) << "the parent reaches the control's constructor";
    ASSERT_NE(withParent, nullptr);
    EXPECT_EQ(withParent->parentWidget(), &host);
    QWidget* alone = factory.CreateControl("CAloneUI", &host);
    ASSERT_NE(alone, nullptr);
    EXPECT_EQ(alone->parentWidget(), &host);
    const std::unique_ptr<QWidget> orphan(factory.CreateControl("CAloneUI"));
    ASSERT_NE(orphan, nullptr);
    EXPECT_EQ(orphan->parentWidget(), nullptr);
}

TEST(MenuWndTest, BuildsNamedItemsFromTheSkin) {
    UseTestSkin();
    const std::unique_ptr<QMenu> menu = CMenuWnd::BuildMenu("menu/tray.xml");
    ASSERT_NE(menu, nullptr);
    QStringList names;
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            names << action->objectName();
            texts << action->text();
        }
    }
    EXPECT_EQ(names, QStringList({"setwnd_menu", "exit"}));
    EXPECT_EQ(texts, QStringList({"Title", "Apply"}));
    EXPECT_EQ(CMenuWnd::BuildMenu("menu/none.xml"), nullptr);
}

} // namespace
