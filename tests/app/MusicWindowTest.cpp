// The music style window opened from the main window: it shows the style of "AudioFile.json",
// a group's sliders and names are edited as a user does, an emptied name box takes the group's
// default name, and a confirmed window is saved to the user copy; a cancelled one is not.
#include "JsonFile.h"
#include "MainWnd.h"
#include "MusicLighting.h"
#include "MusicWnd.h"
#include "OnNextModal.h"
#include "SkinResources.h"

#include <QAbstractButton>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class MusicWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(userRoot.isValid());
        qputenv("VPC_USER_DATA_ROOT", userRoot.path().toUtf8());
        // no companion for these tests: the window works without one
        qputenv("VPC_AUDIO_CAPTURE_PROGRAM", "/nonexistent/vorna-audio-capture");
        CSkinResources& skin = CSkinResources::Instance();
        ASSERT_TRUE(skin.SetResourcePath(QStringLiteral(VPC_SKIN_SOURCE_DIR)));
        ASSERT_TRUE(skin.LoadLanguage("English", "language/en.json"));
    }
    void TearDown() override {
        qunsetenv("VPC_USER_DATA_ROOT");
        qunsetenv("VPC_AUDIO_CAPTURE_PROGRAM");
    }
    Json::Value SavedStyle() const {
        return vpc::data::ReadJsonFile(userRoot.path().toStdString() +
                                       "/AudioFile.json")["Device"]["AudioLightInfo"];
    }
    template <typename T> static T* Find(QWidget* window, const char* name) {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static std::array<int, 3> Sliders(QWidget* window) {
        return {Find<QSlider>(window, "audio_r_slider")->value(),
                Find<QSlider>(window, "audio_g_slider")->value(),
                Find<QSlider>(window, "audio_b_slider")->value()};
    }
    QTemporaryDir userRoot;
};

TEST_F(MusicWindowTest, EditsAreSavedOnOkAndAnEmptiedNameTakesTheDefault) {
    CMainWnd mainWindow;
    ASSERT_TRUE(mainWindow.Create(nullptr, "main", 0, 0, 1000, 640));
    ASSERT_NE(mainWindow.MusicLighting(), nullptr);
    std::array<int, 3> shownFirst{};
    std::array<int, 3> shownGroup3{};
    QString restoredName;
    int musicWindows = 0;
    vpc::test::OnNextModal([&](QWidget* window) {
        shownFirst = Sliders(window); // group 0 of the default file: 9, 0, 0
        Find<QAbstractButton>(window, "audio_select_tab3")->click();
        shownGroup3 = Sliders(window); // group 2: 0, 0, 9
        QTest::keyClick(Find<QSlider>(window, "audio_r_slider"), Qt::Key_End);
        QTest::keyClick(Find<QSlider>(window, "audio_g_slider"), Qt::Key_PageUp);
        auto* name2 = Find<QLineEdit>(window, "audio_edit_name2");
        name2->clear();
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(name2, &out);
        restoredName = name2->text();
        auto* name4 = Find<QLineEdit>(window, "audio_edit_name4");
        name4->setText(QStringLiteral("Abend"));
        QApplication::sendEvent(name4, &out);
        mainWindow.OpenMusicWindow(); // a second request while open is ignored
        for (QWidget* w : QApplication::topLevelWidgets())
            musicWindows += qobject_cast<CMusicWnd*>(w) && w->isVisible() ? 1 : 0;
        QTest::mouseClick(Find<QAbstractButton>(window, "okbtn"), Qt::LeftButton);
    });
    mainWindow.OpenMusicWindow();
    EXPECT_EQ(shownFirst, (std::array<int, 3>{9, 0, 0}));
    EXPECT_EQ(shownGroup3, (std::array<int, 3>{0, 0, 9}));
    EXPECT_EQ(restoredName, QStringLiteral("第二组"));
    EXPECT_EQ(musicWindows, 1);
    EXPECT_FALSE(mainWindow.IsMusicWindowOpen());

    const Json::Value saved = SavedStyle();
    EXPECT_EQ(saved["nAudioStyle"].asInt(), 2);
    EXPECT_EQ(saved["nStyleR2"].asInt(), 9);
    EXPECT_EQ(saved["nStyleG2"].asInt(), 1);
    EXPECT_EQ(saved["nStyleB2"].asInt(), 9);
    EXPECT_EQ(saved["nStyleR0"].asInt(), 9) << "other groups unchanged";
    EXPECT_EQ(saved["nStyleName2"].asString(), "第二组");
    EXPECT_EQ(saved["nStyleName4"].asString(), "Abend");
    EXPECT_EQ(saved["nStyleName1"].asString(), "Style 1");
}

TEST_F(MusicWindowTest, ACancelledWindowChangesNothing) {
    CMainWnd mainWindow;
    ASSERT_TRUE(mainWindow.Create(nullptr, "main", 0, 0, 1000, 640));
    const Json::Value before = SavedStyle();
    vpc::test::OnNextModal([&](QWidget* window) {
        Find<QAbstractButton>(window, "audio_select_tab2")->click();
        QTest::keyClick(Find<QSlider>(window, "audio_b_slider"), Qt::Key_End);
        QTest::mouseClick(Find<QAbstractButton>(window, "closebtn"), Qt::LeftButton);
    });
    mainWindow.OpenMusicWindow();
    EXPECT_EQ(SavedStyle(), before);
    EXPECT_EQ(mainWindow.MusicLighting()->LoadMusicStyle().style, 0);
}

} // namespace
