// Requests from other programs: game lighting and its restore, the lighting-control
// handshake, suspend and resume, and the WorkTool block, over the session bus too.
#include "AppDBusService.h"
#include "GameLighting.h"
#include "MainWnd.h"
#include "SkinResources.h"
#include "WorkToolAnswer.h"

#include <QSignalSpy>
#include <QTest>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusInterface>
#include <QtDBus/QDBusReply>
#include <QtEndian>
#include <gtest/gtest.h>
#include <vector>

namespace {

class FakeDevice : public IGameLightingTarget {
public:
    explicit FakeDevice(int mode) : m_mode(mode) {}
    int CurrentLightingMode() const override { return m_mode; }
    std::span<const int> LightingModes() const override { return m_modes; }
    void ShowTemporaryLightingMode(int mode) override {
        m_mode = mode;
        shown.push_back(mode);
    }
    std::vector<int> shown;

private:
    int m_mode;
    std::vector<int> m_modes{0, 1, 2, 3, 5, 8, 13, 21};
};

TEST(GameLightingTest, ShowsAModeTheDeviceOffersAndRestoresTheModeItHadBefore) {
    struct Case {
        int startMode;
        int kind;
        int gameMode;
        bool accepted;
        int restored; // -1: nothing shown
    };
    const Case cases[] = {
        {5, 0, 8, true, 5},     {5, 1, 8, true, 5}, // kinds 1 and 2 restore the same way
        {5, 2, 8, true, 5},     {0, 0, 8, true, 1}, // no mode to come back to: mode 1
        {21, 0, 8, true, 1},                        // beyond the usual modes: mode 1
        {5, 3, 8, false, -1},   {5, -1, 8, false, -1},
        {5, 0, 9, false, -1}, // not one of the device's modes
        {5, 0, 255, false, -1},
    };
    for (const Case& c : cases) {
        FakeDevice device(c.startMode);
        CGameLighting game;
        EXPECT_EQ(game.Start(&device, c.kind, c.gameMode), c.accepted)
            << c.kind << " " << c.gameMode;
        game.End();
        if (c.accepted) {
            EXPECT_EQ(device.shown, (std::vector<int>{c.gameMode, c.restored}));
        } else {
            EXPECT_TRUE(device.shown.empty());
        }
    }
}

TEST(GameLightingTest, RepeatedMessagesKeepTheFirstModeAndAnotherDeviceGetsItsOwnBack) {
    FakeDevice first(3);
    FakeDevice second(13);
    CGameLighting game;
    ASSERT_TRUE(game.Start(&first, 0, 8));
    ASSERT_TRUE(game.Start(&first, 0, 2)); // the device shows 8 now; 3 stays the way back
    EXPECT_EQ(game.ReturnMode(), 3);
    ASSERT_TRUE(game.Start(&second, 1, 1)); // the first device is restored before the switch
    EXPECT_EQ(first.shown, (std::vector<int>{8, 2, 3}));
    game.End();
    EXPECT_EQ(second.shown, (std::vector<int>{1, 13}));

    ASSERT_TRUE(game.Start(&first, 0, 8));
    game.Forget(&first); // unplugged: nothing is written to it later
    game.End();
    EXPECT_EQ(first.shown.back(), 8);
}

class MainWindowRequestsTest : public ::testing::Test {
protected:
    void SetUp() override {
        CSkinResources::Instance().SetResourcePath(QStringLiteral(VPC_SKIN_SOURCE_DIR));
        ASSERT_TRUE(window.Create(nullptr, "main", 0, 0, 800, 572));
        window.SetGameLightingTargetProvider([this] { return current; });
    }

    CMainWnd window;
    IGameLightingTarget* current = nullptr;
};

TEST_F(MainWindowRequestsTest, GameMessageArmsTheRestoreTimerOnlyAfterAChange) {
    window.OnGameMessage(0, 8); // no current device
    EXPECT_FALSE(window.IsGameLightingTimerActive());

    FakeDevice device(5);
    current = &device;
    window.OnGameMessage(0, 9); // not a mode of the device
    EXPECT_FALSE(window.IsGameLightingTimerActive());
    window.OnGameMessage(2, 8);
    EXPECT_TRUE(window.IsGameLightingTimerActive());

    window.EndGameLighting(); // what the timer runs when it expires
    EXPECT_FALSE(window.IsGameLightingTimerActive());
    EXPECT_EQ(device.shown, (std::vector<int>{8, 5}));
}

TEST_F(MainWindowRequestsTest, SuspendIgnoresGameMessagesAndHandsTheLightingBack) {
    FakeDevice device(5);
    current = &device;
    QSignalSpy flags(&window, &CMainWnd::lightControlChanged);
    window.OnSuspending();
    window.OnGameMessage(0, 8);
    EXPECT_TRUE(device.shown.empty());
    window.OnResumed();
    ASSERT_EQ(flags.size(), 2);
    EXPECT_FALSE(flags[0][0].toBool());
    EXPECT_TRUE(flags[1][0].toBool()) << "resume gives back the flag the window holds";
}

TEST_F(MainWindowRequestsTest, LightControlRequestsAndTheToggle) {
    QSignalSpy flags(&window, &CMainWnd::lightControlChanged);
    QSignalSpy notices(&window, &CMainWnd::lightControlNotify);
    struct Case {
        int request;
        int enable;
        bool flagAfter;
    };
    const Case cases[] = {
        {1, 0, false},
        {1, 7, false}, // other values repeat the flag unchanged
        {2, 1, false}, // other requests are ignored
        {1, 1, true},
    };
    int expectedSignals = 0;
    for (const Case& c : cases) {
        window.OnLightControlRequest(c.request, c.enable);
        EXPECT_EQ(window.LightControlFlag(), c.flagAfter) << c.request << "," << c.enable;
        expectedSignals += c.request == 1 ? 1 : 0;
        ASSERT_EQ(flags.size(), expectedSignals);
        EXPECT_EQ(flags.last()[0].toBool(), c.flagAfter);
    }
    EXPECT_TRUE(notices.isEmpty()) << "requests from others are not echoed";

    window.ToggleLightControl();
    EXPECT_FALSE(window.LightControlFlag());
    ASSERT_EQ(notices.size(), 1);
    EXPECT_EQ(notices[0][1].toInt(), 0);
}

std::uint32_t Word(const QByteArray& block, int offset) {
    return qFromLittleEndian<std::uint32_t>(block.constData() + offset);
}

TEST(WorkToolBlockTest, HoldsTheHeaderTheCountAndOneRowPerDeviceKind) {
    const WorkToolDevice rows[] = {
        {0x320F, 0x221C, 2}, {0x320F, 0x5055, 1}, {0x320F, 0x1004, 3}, {0x0C76, 0x1630, 7}};
    const QByteArray block = BuildWorkToolBlock(rows);
    ASSERT_EQ(block.size(), 1024);
    const std::uint32_t expected[] = {2,      3, 0,      2,      4, 0x320F, 0x221C, 2, 0x320F,
                                      0x5055, 1, 0x320F, 0x1004, 3, 0x0C76, 0x1630, 7};
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(Word(block, 4 * i), expected[i]) << "word " << i;
    }
    EXPECT_EQ(block.mid(68), QByteArray(1024 - 68, '\0'));
    EXPECT_EQ(BuildWorkToolBlock(rows), block) << "two answers are identical";
}

TEST(AppBusServiceTest, MethodsOverTheSessionBusReachTheWindowAndValidateNothingAway) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (qEnvironmentVariableIsSet("CI")) {
            FAIL() << "no session bus in CI: run the tests under dbus-run-session";
        }
        GTEST_SKIP() << "no session bus: run the tests under dbus-run-session";
    }
    const QString path = QStringLiteral("/test/AppBusService");
    CAppDBusService service;
    const WorkToolDevice rows[] = {{0x320F, 0x5055, 1}};
    service.SetWorkToolAnswer([&rows] { return BuildWorkToolBlock(rows); });
    ASSERT_TRUE(bus.registerObject(
        path, &service, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
    QSignalSpy games(&service, &CAppDBusService::gameLightingRequested);
    QSignalSpy answers(&service, &CAppDBusService::WorkToolAnswer);

    QDBusInterface remote(bus.baseService(), path, kDBusInterfaceName, bus);
    ASSERT_TRUE(remote.isValid());
    remote.asyncCall("GameDeath", 1, 8);
    const QDBusReply<QByteArray> block = remote.call("QueryWorkTool");
    ASSERT_TRUE(block.isValid()) << qPrintable(block.error().message());
    EXPECT_EQ(Word(block.value(), 16), 1u);
    EXPECT_EQ(Word(block.value(), 24), 0x5055u);
    const QDBusMessage wrongArguments = remote.call("GameStart", QStringLiteral("eight"));
    EXPECT_EQ(wrongArguments.type(), QDBusMessage::ErrorMessage);

    ASSERT_TRUE(QTest::qWaitFor([&] { return games.size() == 1 && answers.size() == 1; }, 2000));
    EXPECT_EQ(games[0][0].toInt(), 1);
    EXPECT_EQ(games[0][1].toInt(), 8);
    bus.unregisterObject(path);
}

} // namespace
