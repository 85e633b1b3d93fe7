// The message box, the about window, the skin window and the main window's tray
// menu commands, driven through their real widgets with the program's own skin.
#include "AboutWnd.h"
#include "DpiChoice.h"
#include "MainWnd.h"
#include "MsgWnd.h"
#include "OnNextModal.h"
#include "SkinChange.h"
#include "SkinFrame.h"
#include "SkinResources.h"
#include "SkinSettings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

class ShellWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(userRoot.isValid());
        qputenv("VPC_USER_DATA_ROOT", userRoot.path().toUtf8());
        CSkinResources& skin = CSkinResources::Instance();
        ASSERT_TRUE(skin.SetResourcePath(QStringLiteral(VPC_SKIN_SOURCE_DIR)));
        ASSERT_TRUE(skin.LoadLanguage("English", "language/en.json"));
    }
    void TearDown() override { qunsetenv("VPC_USER_DATA_ROOT"); }

    // Runs action on the modal window once it is up (the modal loop blocks the caller).
    static void OnModal(std::function<void(QWidget*)> action) {
        vpc::test::OnNextModal(std::move(action));
    }

    static void Click(QWidget* window, const char* objectName) {
        auto* button = window->findChild<QAbstractButton*>(QString::fromLatin1(objectName));
        ASSERT_NE(button, nullptr) << objectName;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QTemporaryDir userRoot;
};

TEST_F(ShellWindowsTest, MessageBoxReturnsOneOnlyForConfirm) {
    struct Case {
        int buttonMode;
        const char* button;
        int expected;
        bool cancelShown;
    };
    const Case cases[] = {
        {0, "confirm_btn", 1, false},
        {0, "closebtn", 0, false}, // mode 0 can only be left by confirm or close
        {1, "confirm_btn", 1, true},
        {1, "cancel_btn", 0, true},
    };
    for (const Case& c : cases) {
        bool cancelShown = !c.cancelShown;
        QString shownText;
        OnModal([&](QWidget* box) {
            cancelShown = box->findChild<QWidget*>("cancel_btn")->isVisibleTo(box);
            shownText = box->findChild<QLabel*>("MessageText")->text();
            Click(box, c.button);
        });
        const int result =
            ShowMessageBox(nullptr, "Title", "msgbox_confirm_text", 96, true, c.buttonMode);
        EXPECT_EQ(result, c.expected) << "mode " << c.buttonMode << " " << c.button;
        EXPECT_EQ(cancelShown, c.cancelShown) << "mode " << c.buttonMode;
        EXPECT_EQ(shownText, "OK") << "the text id is resolved in the current language";
    }
}

TEST_F(ShellWindowsTest, MessageBoxShowsPlainTextUnchangedAndKeepsTheLayoutTitleWhenEmpty) {
    QString title;
    QString message;
    OnModal([&](QWidget* box) {
        title = box->findChild<QLabel*>("MessageTitle")->text();
        message = box->findChild<QLabel*>("MessageText")->text();
        Click(box, "confirm_btn");
    });
    EXPECT_EQ(ShowMessageBox(nullptr, "", "msgbox_confirm_text", 96, false, 0), 1);
    EXPECT_EQ(title, "Notice");
    EXPECT_EQ(message, "msgbox_confirm_text");
}

TEST(FrameDpiTest, OnlyTheListedDpisAreAccepted) {
    const std::pair<int, int> cases[] = {{48, 48},   {72, 72},   {96, 96},  {120, 120}, {144, 144},
                                         {168, 168}, {192, 192}, {100, 96}, {0, 96},    {-96, 96}};
    for (const auto& [requested, accepted] : cases) {
        EXPECT_EQ(CFrameWnd::ValidateDpi(requested, "MSG_WND DPI SET ERROR"), accepted)
            << requested;
    }
}

TEST(FrameDpiTest, LargeMonitorsGet144AndOthers96) {
    struct Case {
        int width, height, dpi;
    };
    const Case cases[] = {{1920, 1080, 144}, {1600, 900, 96}, {1501, 961, 144},
                          {1500, 1080, 96},  {2560, 960, 96}, {0, 0, 96}};
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseDpi(c.width, c.height), c.dpi) << c.width << "x" << c.height;
    }
}

TEST_F(ShellWindowsTest, AboutWindowShowsTheVersionAndOpensOnlyOnce) {
    CMainWnd mainWindow;
    ASSERT_TRUE(mainWindow.Create(nullptr, "main", 0, 0, 800, 572));
    QString version;
    int aboutWindows = 0;
    OnModal([&](QWidget* about) {
        version = about->findChild<QLabel*>("software_ver_label")->text();
        mainWindow.ShowAboutWindow(); // a second request while open is ignored
        for (QWidget* w : QApplication::topLevelWidgets()) {
            aboutWindows += qobject_cast<CAboutWnd*>(w) && w->isVisible() ? 1 : 0;
        }
        Click(about, "closebtn");
    });
    mainWindow.ShowAboutWindow();
    EXPECT_EQ(version, "Software version: 1.0.1.1");
    EXPECT_EQ(aboutWindows, 1);
    EXPECT_FALSE(mainWindow.IsAboutWindowOpen());
    EXPECT_FALSE(mainWindow.IsClosed()) << "closing the about window leaves the main window";
}

TEST_F(ShellWindowsTest, TrayMenuCommandsAreMatchedByName) {
    CMainWnd mainWindow;
    ASSERT_TRUE(mainWindow.Create(nullptr, "main", 0, 0, 800, 572));
    mainWindow.show();
    mainWindow.HandleMenuCommand("EXIT"); // "exit" is matched exactly
    mainWindow.HandleMenuCommand("no_such_item");
    EXPECT_FALSE(mainWindow.IsClosed());

    bool aboutShown = false;
    OnModal([&](QWidget* about) {
        aboutShown = qobject_cast<CAboutWnd*>(about) != nullptr;
        Click(about, "closebtn");
    });
    mainWindow.HandleMenuCommand("About_Menu");
    EXPECT_TRUE(aboutShown);

    mainWindow.HandleMenuCommand("exit");
    EXPECT_TRUE(mainWindow.IsClosed());
}

TEST_F(ShellWindowsTest, CloseButtonWithoutATrayMinimisesInsteadOfEnding) {
    if (CTrayIcon::IsTrayAvailable()) {
        GTEST_SKIP() << "this desktop has a tray; the close button hides to it";
    }
    CMainWnd mainWindow;
    ASSERT_TRUE(mainWindow.Create(nullptr, "main", 0, 0, 800, 572));
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    Click(&mainWindow, "closebtn");
    EXPECT_FALSE(mainWindow.IsClosed());
    EXPECT_TRUE(mainWindow.isMinimized());
}

class SkinFrameTest : public ShellWindowsTest {
protected:
    void SetUp() override {
        ShellWindowsTest::SetUp();
        QObject::connect(&CSkinChangeNotifier::Instance(), &CSkinChangeNotifier::skinChanged,
                         &receiver, [this](const SkinChangedParam& p) { received.push_back(p); });
        frame = CSkinFrame::Open(nullptr, nullptr);
        ASSERT_NE(frame, nullptr);
        frame->SetImageFileChooser([this](QWidget*) { return chosenFile; });
    }
    void TearDown() override {
        if (frame) {
            frame->Close(0);
        }
        ShellWindowsTest::TearDown();
    }
    std::optional<vpc::data::SkinImage> Stored() const {
        return vpc::data::ReadSkinImage(vpc::data::GetSkinFilePath());
    }

    QObject receiver;
    std::vector<SkinChangedParam> received;
    QPointer<CSkinFrame> frame;
    QString chosenFile;
};

TEST_F(SkinFrameTest, ImageButtonBroadcastsAndRemembersItsImage) {
    Click(frame, "skin_image_btn_2");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_FALSE(received[0].isColor);
    EXPECT_EQ(received[0].image, "common/background_ember.png");
    const auto stored = Stored();
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(*stored, (vpc::data::SkinImage{true, "common/background_ember.png"}));

    Click(frame, "skin_reset");
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1].image, "common/background.png");
    EXPECT_EQ(*Stored(), (vpc::data::SkinImage{false, "common/background.png"}));
}

TEST_F(SkinFrameTest, ColourAndCustomImageAreShownButNotWritten) {
    auto* tabs = frame->findChild<QStackedWidget*>("skin_tab");
    ASSERT_NE(tabs, nullptr);
    Click(frame, "skin_color");
    EXPECT_EQ(tabs->currentIndex(), 1);
    Click(frame, "skin_color_btn_1");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_TRUE(received[0].isColor);
    EXPECT_EQ(received[0].backgroundColor, 0xFF15171Cu);

    Click(frame, "skin_image");
    EXPECT_EQ(tabs->currentIndex(), 0);
    Click(frame, "skin_Custom"); // the dialog was cancelled
    EXPECT_EQ(received.size(), 1u);
    chosenFile = userRoot.filePath("mine.png");
    Click(frame, "skin_Custom");
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1].image, chosenFile);
    EXPECT_FALSE(Stored().has_value()) << "colours and own images are not remembered";
}

TEST(SkinPlacementTest, PopUpHangsBelowTheAnchorAlignedToItsRightEdge) {
    const QRect anchor(QPoint(700, 10), QSize(32, 32)); // right 731, bottom 41
    EXPECT_EQ(CSkinFrame::PlacementFor(anchor, QSize(300, 236)), QPoint(432, 42));
}

TEST_F(ShellWindowsTest, MainWindowAppliesABroadcastSkinToItsRoot) {
    CMainWnd mainWindow;
    ASSERT_TRUE(mainWindow.Create(nullptr, "main", 0, 0, 800, 572));
    QWidget* root = mainWindow.PaintManager().GetRoot();
    ASSERT_NE(root, nullptr);
    CSkinChangeNotifier::Instance().Broadcast({true, 0xFF223344u, {}});
    EXPECT_EQ(root->property("bkcolor").toUInt(), 0xFF223344u);
    EXPECT_TRUE(root->property("bkimage").toString().isEmpty());
    CSkinChangeNotifier::Instance().Broadcast({false, 0, "common/background_night.png"});
    EXPECT_EQ(root->property("bkcolor").toUInt(), 0u);
    EXPECT_EQ(root->property("bkimage").toString(), "common/background_night.png");
}

TEST_F(ShellWindowsTest, MainWindowStartsWithTheRememberedImage) {
    ASSERT_TRUE(vpc::data::WriteSkinImage(vpc::data::GetSkinFilePath(), true,
                                          "common/background_ember.png"));
    CMainWnd mainWindow;
    ASSERT_TRUE(mainWindow.Create(nullptr, "main", 0, 0, 800, 572));
    EXPECT_EQ(mainWindow.PaintManager().GetRoot()->property("bkimage").toString(),
              "common/background_ember.png");
}

} // namespace
