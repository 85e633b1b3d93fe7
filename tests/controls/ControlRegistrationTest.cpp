// Start-up registers every control class of the skin, and a layout that names the
// classes gets the real controls through the control factory.
#include "ControlFactory.h"
#include "CustomControls.h"
#include "DialogBuilder.h"
#include "SkinResources.h"
#include "StartUp.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Registered {
    const char* className;
    const char* controlName;
    const char* metaClass;
    const char* classText;
};

// In the order start-up registers them.
const Registered kControls[] = {
    {"CCircleProgressUI", "circle_progress", "CCircleProgressUI", "CircleProgress"},
    {"CChartViewUI", "chart", "CChartViewUI", "ChartView"},
    {"CWndUI", "wnd_host", "CWndUI", "Wnd"},
    {"CSelectPanelUI", "key_panel", "CSelectPanelUI", "SelectPanel"},
    {"CDeviceKeyButtonUI", "key_0", "CDeviceKeyButtonUI", "DeviceKeyButton"},
    {"CCloudShareListItemUI", "share_row", "CCloudShareListItemUI", "CloudShareListItemUI"},
    {"CUpdateInfoListItemUI", "update_row", "CUpdateInfoListItemUI", "UpdateInfoListItemUI"},
    {"CComboEditContainerElementUI", "combo_row", "CComboEditContainerElementUI",
     "ComboEditContainerElement"},
    {"CHandImgButtonUI", "hand_btn", "CHandImgButtonUI", "HandImgButton"},
    {"CHandImgSelectButtonUI", "hand_select_btn", "CHandImgSelectButtonUI", "HandImgSelectButton"},
    {"CRedioMacroButtonUI", "record_btn", "CRedioMacroButtonUI", "RedioMacroButton"},
    {"CAudioRecordUI", "wave", "CAudioRecordUI", "AudioRecord"},
};

QWidget* Find(QWidget* root, const QString& name) {
    return root->objectName() == name ? root : root->findChild<QWidget*>(name);
}

class ControlRegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VPC_SKIN_DIR", VPC_TEST_SKIN_DIR); // start-up looks there first
        CControlFactory::Instance().Clear();
        InitSkinResources();
    }
};

TEST_F(ControlRegistrationTest, StartUpRegistersEveryClassInItsOrder) {
    const QStringList names = CControlFactory::Instance().RegisteredNames();
    qsizetype previous = -1;
    for (const Registered& control : kControls) {
        const qsizetype at = names.indexOf(control.className);
        ASSERT_GE(at, 0) << control.className;
        EXPECT_GT(at, previous) << control.className << " out of order";
        previous = at;
    }
    EXPECT_TRUE(CControlFactory::Instance().IsRegistered("cdevicekeybuttonui"));
}

TEST_F(ControlRegistrationTest, ALayoutNamingEachClassBuildsTheRealControl) {
    std::unique_ptr<QWidget> root(CDialogBuilder::Create("XML_CONTROLS", {}, nullptr));
    ASSERT_NE(root, nullptr) << qPrintable(CDialogBuilder::LastError());
    for (const Registered& control : kControls) {
        QWidget* widget = Find(root.get(), control.controlName);
        ASSERT_NE(widget, nullptr) << control.controlName;
        EXPECT_STREQ(widget->metaObject()->className(), control.metaClass);
        EXPECT_FALSE(widget->property("missingClass").isValid());
        EXPECT_EQ(widget->property("controlClass").toString(), control.classText);
    }
    // The layout's attributes reach the controls.
    auto* chart = qobject_cast<CChartViewUI*>(Find(root.get(), "chart"));
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->GetViewKind(), CChartViewUI::View::Histogram);
    EXPECT_TRUE(chart->IsShowText());
    EXPECT_FALSE(chart->IsShowHtml());
    EXPECT_EQ(chart->GetPillarImageWidth(), 12);
    EXPECT_EQ(chart->GetShadowImageHeight(), 6);
    EXPECT_EQ(chart->GetShadowImage(), "images/record.svg");
    auto* hand = qobject_cast<CHandImgButtonUI*>(Find(root.get(), "hand_btn"));
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(hand->GetHandImage(), "images/hand.svg");
    EXPECT_EQ(hand->GetDeleteHotImage(), "images/hand.svg");
    auto* key = qobject_cast<CDeviceKeyButtonUI*>(Find(root.get(), "key_0"));
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->GetLightImage(), "images/record.svg");
    EXPECT_EQ(key->parentWidget()->objectName(), "key_panel"); // keys live in the panel
    auto* select = qobject_cast<CHandImgSelectButtonUI*>(Find(root.get(), "hand_select_btn"));
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(select->GetCursorName(), "hand");
    auto* row = qobject_cast<CComboEditContainerElementUI*>(Find(root.get(), "combo_row"));
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->HasContent()); // its row layout comes through res.xml
}

TEST_F(ControlRegistrationTest, TheProgramSkinMapsTheMacroRowLayout) {
    CSkinResources& skin = CSkinResources::Instance();
    ASSERT_TRUE(skin.SetResourcePath(QStringLiteral(VPC_PROGRAM_SKIN_DIR)));
    EXPECT_FALSE(skin.LayoutPath(CComboEditContainerElementUI::kLayout).isEmpty());
    const CComboEditContainerElementUI row;
    EXPECT_TRUE(row.Text1() && row.Text2() && row.DelayEdit());
}

} // namespace
