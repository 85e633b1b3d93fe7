// The colour palette window "PalletDialog" through its widgets: standard colours, saved colour
// slots kept in "color_option_info.config", the palette, the boxes and the modal run.
#include "ColorPaletteUI.h"
#include "ColorSelectWnd.h"
#include "LightControlUI.h"
#include "LightingTestSupport.h"

#include "DataFolders.h"
#include "JsonFile.h"
#include "SkinResources.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace vpc::panels {
namespace {

class PaletteWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root.IsSkinLoaded()); }
    std::unique_ptr<CColorSelectWnd> Open(std::uint32_t colour) {
        auto window = std::make_unique<CColorSelectWnd>();
        EXPECT_TRUE(window->Create(nullptr, QStringLiteral("PalletDialog"), 0, 0,
                                   CColorSelectWnd::kWidth, CColorSelectWnd::kHeight));
        window->SetDpi(96);
        window->SetColor(colour);
        window->ShowSevenColor(false);
        window->show();
        return window;
    }
    static QAbstractButton* Button(CColorSelectWnd& window, const QString& name) {
        return window.FindControl(name).as<QAbstractButton>();
    }
    static void Click(CColorSelectWnd& window, const QString& name) {
        QAbstractButton* button = Button(window, name);
        ASSERT_NE(button, nullptr) << name.toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static QString Box(CColorSelectWnd& window, const char* name) {
        return window.FindControl(QString::fromLatin1(name)).GetText();
    }
    data::CPaletteFile File() const { return data::CPaletteFile::FromDataFolders(); }

    test::LightingTestRoot root;
};

TEST_F(PaletteWindow, StartsWithTheGivenColourAndNoSevenColourChoice) {
    auto window = Open(0xFF102030u);
    EXPECT_EQ(Box(*window, "color_edit_r"), "16");
    EXPECT_EQ(Box(*window, "color_edit_g"), "32");
    EXPECT_EQ(Box(*window, "color_edit_b"), "48");
    EXPECT_EQ(window->FindControl("Pallet").GetSelectColor(), 0xFF102030u);
    EXPECT_FALSE(window->FindControl("7color_layout").IsVisible());
    EXPECT_TRUE(std::filesystem::exists(File().GetUserFile())) << "the palette file is made";
}

// The standard options keep the skin's colours, whatever the palette file says; the shipped
// file names the same colours, so saving the options changes nothing in it.
TEST_F(PaletteWindow, StandardOptionsKeepTheSkinsColours) {
    const std::uint32_t skin3 = 0xFFFFBF00u;
    {
        auto fresh = Open(0xFF102030u);
        const Json::Value shipped = data::ReadJsonFile(File().GetUserFile());
        const Json::Value& options = shipped["coloroptioninfo"]["palletDialogcoloroption"];
        ASSERT_EQ(options.size(), 20u);
        for (int n = 0; n < 20; ++n) {
            const QString name = QStringLiteral("color_option_%1").arg(n);
            const std::uint32_t shown = fresh->FindControl(name).GetBkColor();
            EXPECT_EQ(QString::fromStdString(options[n]["color"].asString()),
                      QStringLiteral("%1").arg(shown, 8, 16, QLatin1Char('0')).toUpper())
                << n;
        }
        EXPECT_EQ(fresh->FindControl("color_option_3").GetBkColor(), skin3);
    }
    Json::Value file = data::ReadJsonFile(File().GetUserFile());
    for (Json::Value& option : file["coloroptioninfo"]["palletDialogcoloroption"])
        option["color"] = "FF123456";
    file["coloroptioninfo"]["palletDialogcoloroption_selectitem"] = 5;
    ASSERT_TRUE(data::WriteJsonFile(File().GetUserFile(), file));
    auto window = Open(0xFF102030u);
    EXPECT_EQ(window->FindControl("color_option_3").GetBkColor(), skin3);
    EXPECT_TRUE(window->FindControl("color_option_5").IsSelected());
}

TEST_F(PaletteWindow, StandardColourChosenWhileASlotIsSelectedIsSavedIntoTheSlot) {
    auto window = Open(0xFFFFFFFFu);
    Click(*window, "collect_color_option_2");
    Click(*window, "color_option_3");
    const std::uint32_t standard = window->FindControl("color_option_3").GetBkColor();
    EXPECT_EQ(window->GetColor(), standard);
    EXPECT_EQ(window->FindControl("collect_color_option_2").GetBkColor(), standard);
    EXPECT_EQ(window->FindControl("collect_color_option_2").GetUserData(), "1");
    const data::SavedColors saved = File().LoadSavedColors();
    EXPECT_EQ(saved.colors[2], (data::SavedColorSlot{standard, "1"}));
    EXPECT_FALSE(saved.colors[1].IsSaved());
    EXPECT_EQ(File().LoadStandardColors().selectItem, 3);

    // a new window reads the slot back; choosing it and confirming gives its colour
    window.reset();
    auto again = Open(0xFF000000u);
    EXPECT_EQ(again->FindControl("collect_color_option_2").GetBkColor(), standard);
    Click(*again, "collect_color_option_2");
    EXPECT_EQ(again->FindControl("color_show_btn").GetBkColor(), standard);
    Click(*again, "okbtn");
    EXPECT_EQ(again->GetResultCode(), 1);
    EXPECT_EQ(again->GetColor(), standard);
}

TEST_F(PaletteWindow, BoxesAreHeldToTheByteAndPaletteFollows) {
    auto window = Open(0xFF000000u);
    const struct {
        const char* box;
        const char* typed;
        const char* shown;
    } typed[] = {
        {"color_edit_r", "-5", "0"}, {"color_edit_g", "300", "255"}, {"color_edit_b", "", "0"}};
    for (const auto& t : typed) {
        auto* edit = window->FindControl(QString::fromLatin1(t.box)).as<QLineEdit>();
        ASSERT_NE(edit, nullptr);
        edit->clear();
        QTest::keyClicks(edit, QString::fromLatin1(t.typed));
    }
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(window->FindControl("color_edit_b").widget(), &out);
    for (const auto& t : typed)
        EXPECT_EQ(Box(*window, t.box), QString::fromLatin1(t.shown)) << t.typed;
    EXPECT_EQ(window->GetColor(), 0xFF00FF00u);
    EXPECT_EQ(window->FindControl("Pallet").GetSelectColor(), 0xFF00FF00u);
}

TEST_F(PaletteWindow, PickingInThePaletteShowsTheColour) {
    auto window = Open(0xFF000000u);
    auto* palette = window->FindControl("Pallet").as<CColorPaletteUI>();
    ASSERT_NE(palette, nullptr);
    const QPoint point(palette->width() * 2 / 3, palette->height() / 3);
    QTest::mouseClick(palette, Qt::LeftButton, {}, point);
    const std::uint32_t picked = palette->ColorAt(point);
    EXPECT_EQ(window->GetColor(), picked);
    EXPECT_EQ(window->FindControl("color_show_btn").GetBkColor(), picked);
    EXPECT_EQ(Box(*window, "color_edit_r"), QString::number((picked >> 16) & 0xFF));
}

TEST_F(PaletteWindow, ModalRunReturnsTheChosenColourAndOpensOnlyOnce) {
    std::optional<std::uint32_t> second{0u};
    int dpi = 0;
    auto* poll = new QTimer(qApp); // freed once answered
    QObject::connect(poll, &QTimer::timeout, poll, [&, poll] {
        CColorSelectWnd* open = CColorSelectWnd::OpenWindow();
        if (!open || !open->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        dpi = open->Dpi();
        second = CColorSelectWnd::Choose(nullptr, 0xFF000000u, 96);
        QTest::mouseClick(open->FindControl("okbtn").as<QAbstractButton>(), Qt::LeftButton);
    });
    poll->start(10);
    const std::optional<std::uint32_t> chosen = CColorSelectWnd::Choose(nullptr, 0xFF112233u, 97);
    EXPECT_EQ(chosen, std::optional<std::uint32_t>(0xFF112233u));
    EXPECT_EQ(dpi, 96) << "a dpi outside the accepted set falls back to 96";
    EXPECT_EQ(second, std::nullopt) << "one palette window at a time";
    EXPECT_EQ(CColorSelectWnd::OpenWindow(), nullptr);
}

} // namespace
} // namespace vpc::panels
