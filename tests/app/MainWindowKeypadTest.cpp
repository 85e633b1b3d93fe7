// The main window with the simulated keypad found by its own discovery: the current
// device, and game lighting that shows a mode for a while and gives the keypad its own
// mode back without touching the profile file.
#include "CSimHidBackend.h"
#include "CSimKeypad.h"
#include "DataFolders.h"
#include "DeviceKeyButtonUI.h"
#include "DeviceList.h"
#include "DeviceOptionUI.h"
#include "JsonAccess.h"
#include "JsonFile.h"
#include "LightControlUI.h"
#include "MainWnd.h"
#include "SimKeypadMemory.h"
#include "StartUp.h"
#include "keyboard/CorvaneKeyboardDevice.h"
#include "keyboard/KeyboardTables.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using vpc::devices::CCorvaneKeyboardDevice;

class MainWindowKeypadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(userRoot.isValid());
        qputenv("VPC_USER_DATA_ROOT", userRoot.path().toUtf8());
        qputenv("VPC_SKIN_DIR", VPC_SKIN_SOURCE_DIR);
        InitSkinResources();
        bus = vpc::sim::CSimHidBackend::Create();
        keypad = bus->AddKeypad();
        keypad->PlugCable();
        memory = std::make_unique<vpc::sim::SimKeypadMemory>(*keypad);
        vpc::hid::SetDefaultHidBackend(bus);
        window = std::make_unique<CMainWnd>();
        ASSERT_TRUE(window->Create(nullptr, "main", 0, 0, 800, 572));
        window->show();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                auto* device = qobject_cast<CCorvaneKeyboardDevice*>(window->GetCurrentDevice());
                return device && device->IsLightThreadRunning();
            },
            15000));
        keyboard = qobject_cast<CCorvaneKeyboardDevice*>(window->GetCurrentDevice());
    }
    void TearDown() override {
        window->StopWorkers();
        window.reset();
        vpc::hid::SetDefaultHidBackend(nullptr);
        qunsetenv("VPC_USER_DATA_ROOT");
        qunsetenv("VPC_SKIN_DIR");
    }

    int StoredMode() const {
        const std::filesystem::path file = std::filesystem::path(userRoot.path().toStdString()) /
                                           "keyboard" /
                                           (keyboard->GetProfileName().toStdString() + ".Json");
        namespace json = vpc::data::json;
        const Json::Value profile = vpc::data::ReadJsonFile(file);
        return static_cast<int>(json::ToInt64(json::Member(
            json::Member(json::Element(json::Member(profile, "Device"), 0), "LightInfo"),
            "SelectItem")));
    }

    QTemporaryDir userRoot;
    std::shared_ptr<vpc::sim::CSimHidBackend> bus;
    std::shared_ptr<vpc::sim::CSimKeypad> keypad;
    std::unique_ptr<vpc::sim::SimKeypadMemory> memory;
    std::unique_ptr<CMainWnd> window;
    CCorvaneKeyboardDevice* keyboard = nullptr;
};

TEST_F(MainWindowKeypadTest, GameLightingShowsAModeThenGivesTheKeypadItsOwnBack) {
    ASSERT_NE(keyboard, nullptr);
    const int ownMode = keyboard->GetLightInfo().selectItem;
    const int gameMode = ownMode == 6 ? 5 : 6; // breathing or static, both offered
    const int storedBefore = StoredMode();

    keyboard->SetSynchronised(true);
    window->OnGameMessage(0, gameMode);
    EXPECT_TRUE(window->IsGameLightingTimerActive());
    EXPECT_EQ(memory->OnboardRecord(0)[1], gameMode);
    EXPECT_EQ(StoredMode(), storedBefore) << "the game's mode is not saved";
    EXPECT_FALSE(keyboard->IsSynchronised()) << "the game's mode, not the shared effect";
    vpc::panels::CLightControlUI* panel = vpc::panels::LightPanelOf(keyboard);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetMode(), gameMode) << "the panel shows the game's mode";

    window->EndGameLighting(); // what the timer runs after 5 s
    EXPECT_EQ(memory->OnboardRecord(0)[1], ownMode);
    EXPECT_EQ(keyboard->GetLightInfo().selectItem, ownMode);
    EXPECT_EQ(panel->GetMode(), ownMode);
    EXPECT_EQ(StoredMode(), storedBefore);

    window->OnGameMessage(0, 21); // music lighting is no game effect
    window->OnGameMessage(0, 200);
    EXPECT_FALSE(window->IsGameLightingTimerActive());
    EXPECT_EQ(memory->OnboardRecord(0)[1], ownMode);
}

// Only the keypad is there, so the device list holds its entry alone: the firmware version
// still goes to the keyboard's row of the update table, not the mouse's.
TEST_F(MainWindowKeypadTest, TheKeypadsFirmwareVersionIsCheckedInTheKeyboardsRow) {
    ASSERT_EQ(window->DeviceList()->EntryCount(), 1);
    const auto entries = window->RefreshUpdateEntries();
    EXPECT_EQ(entries[0].rowName, "MS");
    EXPECT_EQ(entries[0].version, 0);
    EXPECT_EQ(entries[1].rowName, "KB");
    EXPECT_EQ(entries[1].version, 0x0102);
    EXPECT_EQ(entries[2].version, 0);
}

TEST_F(MainWindowKeypadTest, ALightingControlRequestReachesTheKeypad) {
    ASSERT_NE(keyboard, nullptr);
    EXPECT_TRUE(keyboard->IsLightControlled());
    window->OnLightControlRequest(1, 0); // another program takes the lighting
    EXPECT_FALSE(keyboard->IsLightControlled());
    window->OnLightControlRequest(2, 1); // not a request: nothing changes
    EXPECT_FALSE(keyboard->IsLightControlled());
    window->OnLightControlRequest(1, 1);
    EXPECT_TRUE(keyboard->IsLightControlled());
}

TEST_F(MainWindowKeypadTest, SynchronisingSharesTheKeypadsEffectAndUnsharedModesChangeNothing) {
    ASSERT_NE(keyboard, nullptr);
    vpc::data::LightInfo info = keyboard->GetLightInfo();
    info.selectItem = 21; // music lighting has no shared effect
    keyboard->ProfileData().SetLightInfo(info);
    keyboard->ApplyLightSettings();
    EXPECT_FALSE(window->SynchroniseLighting());
    EXPECT_FALSE(keyboard->IsSynchronised());

    info.selectItem = 6; // static
    info.red = 10;
    keyboard->ProfileData().SetLightInfo(info);
    keyboard->ApplyLightSettings();
    ASSERT_TRUE(window->SynchroniseLighting());
    EXPECT_TRUE(keyboard->IsSynchronised());
    EXPECT_EQ(memory->OnboardRecord(0)[1], 6);
    EXPECT_EQ(keyboard->GetLightInfo().red, 10);
}

// The light thread computes, and the frame timer keeps its 50 ms, while someone sees or
// receives the colours: with the preview on, the keys show the effect moving; with it
// off the thread sleeps, the colours stand still and the timer slows to its idle pace,
// unless a live mode streams the colours to the keypad.
TEST_F(MainWindowKeypadTest, TheLightThreadComputesOnlyWhileItsColoursAreSeenOrStreamed) {
    ASSERT_NE(keyboard, nullptr);
    vpc::devices::CDeviceOptionUI* entry = keyboard->DeviceEntry();
    ASSERT_NE(entry, nullptr);
    auto* key = qobject_cast<CDeviceKeyButtonUI*>(keyboard->LedButton(0));
    ASSERT_NE(key, nullptr);
    const auto engineColours = [this] {
        std::vector<vpc::lighting::LedColor> colours;
        for (int led = 0; led < 21; ++led) {
            colours.push_back(keyboard->GetLedColor(led));
        }
        return colours;
    };
    const auto computingBecomes = [this](bool computing) {
        return QTest::qWaitFor([&] { return keyboard->IsLightThreadComputing() == computing; },
                               3000);
    };

    keyboard->SetPreviewEnabled(true);
    ASSERT_TRUE(computingBecomes(true));
    const QColor shown = key->ShownLedColor();
    EXPECT_TRUE(QTest::qWaitFor([&] { return key->ShownLedColor() != shown; }, 3000))
        << "the preview shows the effect moving";

    EXPECT_FALSE(entry->IsLightFrameTimerIdle());

    keyboard->SetPreviewEnabled(false);
    ASSERT_TRUE(computingBecomes(false));
    EXPECT_TRUE(entry->IsLightFrameTimerIdle());
    const auto still = engineColours();
    QTest::qWait(250);
    EXPECT_EQ(engineColours(), still) << "no passes while nobody sees the colours";
    keyboard->SetPreviewEnabled(true);
    EXPECT_FALSE(entry->IsLightFrameTimerIdle()) << "the preview need not wait for the idle pace";
    EXPECT_TRUE(computingBecomes(true));
    keyboard->SetPreviewEnabled(false);
    ASSERT_TRUE(computingBecomes(false));

    vpc::data::LightInfo info = keyboard->GetLightInfo();
    const int ownMode = info.selectItem;
    info.selectItem = 31; // screen colours: live frames to the keypad
    keyboard->ProfileData().SetLightInfo(info);
    keyboard->ApplyLightSettings();
    EXPECT_TRUE(computingBecomes(true)) << "live frames need the colours";
    EXPECT_FALSE(entry->IsLightFrameTimerIdle());

    info.selectItem = ownMode;
    keyboard->ProfileData().SetLightInfo(info);
    keyboard->ApplyLightSettings();
    EXPECT_TRUE(computingBecomes(false));
    keyboard->SetPreviewEnabled(true);
    EXPECT_TRUE(computingBecomes(true));
}

// A still picture is computed and shown once; then the light thread and the frame timer
// rest, and a change of colour wakes both and shows at once.
TEST_F(MainWindowKeypadTest, StillColoursLetTheLightThreadAndTheFrameTimerRest) {
    ASSERT_NE(keyboard, nullptr);
    vpc::devices::CDeviceOptionUI* entry = keyboard->DeviceEntry();
    ASSERT_NE(entry, nullptr);
    auto* key = qobject_cast<CDeviceKeyButtonUI*>(keyboard->LedButton(0));
    ASSERT_NE(key, nullptr);
    keyboard->SetPreviewEnabled(true);
    const auto showStatic = [this](int red, int green, int blue) {
        vpc::data::LightInfo info = keyboard->GetLightInfo();
        info.selectItem = 6;
        info.multiColor = 0;
        info.light = 4;
        info.speed = 4;
        info.red = red;
        info.green = green;
        info.blue = blue;
        keyboard->ProfileData().SetLightInfo(info);
        keyboard->ApplyLightSettings();
    };
    const auto rests = [&] {
        return QTest::qWaitFor(
            [&] { return keyboard->IsLightThreadResting() && entry->IsLightFrameTimerIdle(); },
            3000);
    };
    showStatic(201, 37, 118);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return key->ShownLedColor() == QColor(201, 37, 118); }, 3000));
    ASSERT_TRUE(rests());
    EXPECT_FALSE(entry->IsTimerRunning(vpc::devices::CDeviceOptionUI::kTimerLightFrame));

    showStatic(12, 164, 77);
    EXPECT_TRUE(QTest::qWaitFor([&] { return key->ShownLedColor() == QColor(12, 164, 77); }, 3000))
        << "the change woke the thread and the timer";
    EXPECT_TRUE(rests());
}

// 1026 from the keypad: the profile list reads its file again and reselects, and the profile
// it then names is the one loaded.
TEST_F(MainWindowKeypadTest, SyncCode1026ReselectsTheProfileListBeforeLoading) {
    ASSERT_NE(keyboard, nullptr);
    const std::filesystem::path folder =
        std::filesystem::path(userRoot.path().toStdString()) / "keyboard";
    const std::string current = keyboard->GetProfileName().toStdString();
    const std::string other = "2024_01_02_03_04_05_006";
    std::filesystem::copy_file(folder / (current + ".Json"), folder / (other + ".Json"));
    Json::Value list = vpc::data::ReadJsonFile(folder / "ProfileList.ini");
    ASSERT_TRUE(list["profilelist"].isArray());
    Json::Value entry;
    entry["profilename"] = "Second";
    entry["profileUUID"] = other;
    list["profilelist"].append(entry);
    list["profileselect"] = static_cast<int>(list["profilelist"].size()) - 1;
    ASSERT_TRUE(vpc::data::WriteJsonFile(folder / "ProfileList.ini", list));

    memory->RequestSync(true); // 1026
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return keyboard->GetProfileName().toStdString() == other; }, 5000));
    EXPECT_EQ(keyboard->LastSyncCode(), 1026);
}

// After a remap a key shows what it does, its own name as its title, the marker while the
// two differ, and both in its tool text.
// A list opened from a choice box is dark from edge to edge, as the skin's boxes are: the
// frame around the list showed the toolkit's light colours above and below it.
TEST_F(MainWindowKeypadTest, AChoiceBoxListIsDarkToItsEdges) {
    vpc::panels::CLightControlUI* panel = vpc::panels::LightPanelOf(keyboard);
    ASSERT_NE(panel, nullptr);
    auto* combo = panel->Part(QStringLiteral("light_combo_modeSelect")).as<QComboBox>();
    ASSERT_NE(combo, nullptr);
    combo->showPopup();
    QWidget* list = combo->view()->window(); // the frame the toolkit puts around the list
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }));
    const QImage shown = list->grab().toImage();
    combo->hidePopup();
    const int middle = shown.width() / 2;
    for (const int y : {0, 1, 3, shown.height() / 2, shown.height() - 2, shown.height() - 1}) {
        EXPECT_LT(shown.pixelColor(middle, y).lightness(), 60) << "row " << y;
    }
}

TEST_F(MainWindowKeypadTest, KeysShowTheirNewFunctionAfterARemap) {
    ASSERT_NE(keyboard, nullptr);
    const int numLock = 38, esc = 0, slash = 39;
    struct Case {
        int key;
        vpc::data::KeyAssignment assignment;
        const char* caption;
    };
    const Case cases[] = {
        {numLock, {0x30, 0xE9, 0x00}, "Volume up"},
        {slash, {0x20, 0x01, 0x04}, "Left Ctrl+A"},
        {esc, {0x10, 0x02, 0x00}, "Right button"},
    };
    for (const Case& c : cases) {
        keyboard->SelectKey(c.key);
        const auto words =
            vpc::data::KeyEntry::Make(
                c.key, c.assignment,
                vpc::devices::keyboard::KeyCodeTable()[static_cast<std::size_t>(c.key)])
                .ToWords();
        keyboard->SetKeyAssignment(words[0], words[1], words[2]);
    }
    keyboard->RefreshPanel(); // redraws the captions
    const struct {
        int key;
        const char* own;
        const char* caption;
    } shown[] = {{numLock, "Num Lock", "Volume up"},
                 {slash, "Num /", "Left Ctrl+A"},
                 {esc, "Esc", "Right button"},
                 {59, "Num 7", "Num 7"}};
    for (const auto& s : shown) {
        QAbstractButton* button = qobject_cast<QAbstractButton*>(keyboard->KeyButton(s.key));
        ASSERT_NE(button, nullptr) << s.key;
        EXPECT_EQ(button->text(), QString::fromUtf8(s.caption)) << s.key;
        EXPECT_EQ(button->property("toolTitle").toString(), QString::fromUtf8(s.own)) << s.key;
        EXPECT_EQ(button->toolTip(),
                  QString::fromUtf8(s.own) + QStringLiteral(" → ") + QString::fromUtf8(s.caption))
            << s.key;
        EXPECT_EQ(button->property("keySetMarker").toBool(), std::string(s.own) != s.caption)
            << s.key;
    }
}

TEST_F(MainWindowKeypadTest, HidingToTheTrayPausesStatusPollingUntilTheWindowReturns) {
    ASSERT_NE(keyboard, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->OnTrayLeftClick(); // shown: hide it
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(keyboard->IsStatusPollingPaused());
    window->OnTrayLeftClick(); // hidden: bring it back
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(keyboard->IsStatusPollingPaused());
}

} // namespace

namespace {

// The language stored by the user (Simplified Chinese, id 2052) is taken at start; a change
// of language reaches every visible text, the items that code filled in and the key captions.
class MainWindowLanguageTest : public MainWindowKeypadTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(userRoot.isValid());
        Json::Value settings;
        settings["LANGUAGE"] = 2052;
        ASSERT_TRUE(vpc::data::WriteJsonFile(
            std::filesystem::path(userRoot.path().toStdString()) / "settings.json", settings));
        MainWindowKeypadTest::SetUp();
    }
    QString ModeItem(int item) const {
        vpc::panels::CLightControlUI* panel = vpc::panels::LightPanelOf(keyboard);
        auto* combo =
            panel ? panel->Part(QStringLiteral("light_combo_modeSelect")).as<QComboBox>() : nullptr;
        return combo && item < combo->count() ? combo->itemText(item) : QString();
    }
    QString ProfileCaption() const {
        for (QLabel* label : window->findChildren<QLabel*>())
            if (label->property("textId").toString() == QStringLiteral("profile_caption_text"))
                return label->text();
        return {};
    }
};

TEST_F(MainWindowLanguageTest, TheStoredLanguageIsTakenAtStartAndAChangeReachesEveryText) {
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(window->LanguageIndex(), 1);
    EXPECT_EQ(ProfileCaption(),
              QString::fromUtf8("\xE9\x85\x8D\xE7\xBD\xAE\xE6\x96\x87\xE4\xBB\xB6"));
    EXPECT_EQ(ModeItem(1), QString::fromUtf8("\xE6\xB3\xA2\xE6\xB5\xAA"));
    const auto words = vpc::data::KeyEntry::Make(38, {0x30, 0xE2, 0x00},
                                                 vpc::devices::keyboard::KeyCodeTable()[38])
                           .ToWords();
    keyboard->SelectKey(38);
    keyboard->SetKeyAssignment(words[0], words[1], words[2]);
    keyboard->RefreshPanel();
    auto* numLock = qobject_cast<QAbstractButton*>(keyboard->KeyButton(38));
    ASSERT_NE(numLock, nullptr);
    EXPECT_EQ(numLock->text(), QString::fromUtf8("\xE9\x9D\x99\xE9\x9F\xB3"));

    bool handled = false;
    window->HandleMessage(CMainWnd::kUmSetLanguage, 0, 0, handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(window->LanguageIndex(), 0);
    EXPECT_EQ(ProfileCaption(), QStringLiteral("Profile"));
    EXPECT_EQ(ModeItem(1), QStringLiteral("Wave"));
    EXPECT_EQ(numLock->text(), QStringLiteral("Mute"));
    const Json::Value stored = vpc::data::ReadJsonFile(
        std::filesystem::path(userRoot.path().toStdString()) / "settings.json");
    EXPECT_EQ(stored["LANGUAGE"].asInt(), 1033);
}

} // namespace
