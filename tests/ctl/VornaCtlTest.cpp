// vorna-ctl against the main window with the simulated keypad, reached over the session bus
// as a user's script reaches the running program: every command as a table of cases, the
// keypad's onboard record and the lighting panel checked after each change.
#include "AppDBusService.h"
#include "CSimHidBackend.h"
#include "CSimKeypad.h"
#include "CtlCommand.h"
#include "LightControlUI.h"
#include "MainWnd.h"
#include "RemoteControl.h"
#include "SimKeypadMemory.h"
#include "StartUp.h"
#include "keyboard/CorvaneKeyboardDevice.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace {

using vpc::devices::CCorvaneKeyboardDevice;
using Record = vpc::sim::SimKeypadMemory::Record;

struct CtlRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class VornaCtlTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = std::make_unique<QDBusConnection>(QDBusConnection::sessionBus());
        if (!bus->isConnected()) {
            if (qEnvironmentVariableIsSet("CI"))
                FAIL() << "no session bus in CI: run the tests under dbus-run-session";
            GTEST_SKIP() << "no session bus: run the tests under dbus-run-session";
        }
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !bus->interface()->isServiceRegistered(kDBusServiceName).value(); }, 5000))
            << "another instance owns the program's name";
        ASSERT_TRUE(userRoot.isValid());
        qputenv("VPC_USER_DATA_ROOT", userRoot.path().toUtf8());
        qputenv("VPC_SKIN_DIR", VPC_SKIN_SOURCE_DIR);
        InitSkinResources();
        simBus = vpc::sim::CSimHidBackend::Create();
        keypad = simBus->AddKeypad();
        keypad->PlugCable();
        memory = std::make_unique<vpc::sim::SimKeypadMemory>(*keypad);
        vpc::hid::SetDefaultHidBackend(simBus);
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

        remote = std::make_unique<CRemoteControl>(*window);
        service = std::make_unique<CAppDBusService>();
        service->SetRemoteControl(remote.get());
        QObject::connect(service.get(), &CAppDBusService::lightControlRequested, window.get(),
                         &CMainWnd::OnLightControlRequest);
        QObject::connect(service.get(), &CAppDBusService::gameLightingRequested, window.get(),
                         &CMainWnd::OnGameMessage);
        ASSERT_TRUE(bus->registerObject(kDBusObjectPath, service.get(),
                                        QDBusConnection::ExportAllSlots |
                                            QDBusConnection::ExportAllSignals));
        ASSERT_TRUE(bus->registerService(kDBusServiceName));
    }
    void TearDown() override {
        if (bus && bus->isConnected()) {
            bus->unregisterObject(kDBusObjectPath);
            bus->unregisterService(kDBusServiceName);
        }
        if (service)
            service->SetRemoteControl(nullptr);
        if (window)
            window->StopWorkers();
        window.reset();
        vpc::hid::SetDefaultHidBackend(nullptr);
        qunsetenv("VPC_USER_DATA_ROOT");
        qunsetenv("VPC_SKIN_DIR");
    }

    // Runs vorna-ctl while this thread's event loop answers its calls.
    CtlRun Ctl(const QStringList& arguments) {
        QProcess process;
        process.start(VPC_CTL_PATH, arguments);
        EXPECT_TRUE(process.waitForStarted(5000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 40000))
            << qPrintable(arguments.join(' '));
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    Record ActiveRecord() const { return memory->OnboardRecord(keyboard->OnboardIndex()); }
    vpc::panels::CLightControlUI* Panel() const { return vpc::panels::LightPanelOf(keyboard); }

    std::unique_ptr<QDBusConnection> bus;
    QTemporaryDir userRoot;
    QTemporaryDir exportDir;
    std::shared_ptr<vpc::sim::CSimHidBackend> simBus;
    std::shared_ptr<vpc::sim::CSimKeypad> keypad;
    std::unique_ptr<vpc::sim::SimKeypadMemory> memory;
    std::unique_ptr<CMainWnd> window;
    CCorvaneKeyboardDevice* keyboard = nullptr;
    std::unique_ptr<CRemoteControl> remote;
    std::unique_ptr<CAppDBusService> service;
};

TEST_F(VornaCtlTest, DevicesAreListedAsTextAndJson) {
    const CtlRun json = Ctl({"--json", "devices"});
    ASSERT_EQ(json.exitCode, 0) << qPrintable(json.err);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << qPrintable(json.out);
    ASSERT_EQ(document.array().size(), 1);
    const QJsonObject device = document.array().first().toObject();
    EXPECT_EQ(device["id"].toInt(), 0);
    EXPECT_EQ(device["kind"].toString(), "keypad");
    EXPECT_EQ(device["connection"].toString(), "wired");
    EXPECT_TRUE(device["battery"].isNull());
    EXPECT_TRUE(device["lightControl"].toBool());
    EXPECT_TRUE(device["current"].toBool());

    const CtlRun text = Ctl({"devices"});
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_TRUE(text.out.contains("keypad")) << qPrintable(text.out);
    EXPECT_TRUE(text.out.contains("wired")) << qPrintable(text.out);
}

// Each set: the exit code, then the onboard record bytes it must leave (mode, brightness,
// 4 - speed, direction, multicolour, red, green, blue) or, when refused, the record unchanged.
struct SetCase {
    QStringList arguments;
    int exitCode;
    std::optional<std::array<int, 8>> bytes; // record bytes 1..8 after the command
};

TEST_F(VornaCtlTest, LightingSetsReachTheKeypadAndThePanel) {
    const std::vector<SetCase> cases = {
        {{"lighting", "set", "keypad", "mode", "6"}, 0, std::array{6, -1, -1, -1, -1, -1, -1, -1}},
        {{"lighting", "set", "0", "brightness", "3"}, 0, std::array{6, 3, -1, -1, -1, -1, -1, -1}},
        {{"lighting", "set", "0", "brightness", "4"}, 0, std::array{6, 4, -1, -1, -1, -1, -1, -1}},
        {{"lighting", "set", "0", "brightness", "5"}, vpc::ctl::kExitOutOfRange, std::nullopt},
        {{"lighting", "set", "0", "brightness", "-1"}, vpc::ctl::kExitOutOfRange, std::nullopt},
        {{"lighting", "set", "0", "speed", "1"}, 0, std::array{6, 4, 3, -1, -1, -1, -1, -1}},
        {{"lighting", "set", "0", "speed", "0"}, 0, std::array{6, 4, 4, -1, -1, -1, -1, -1}},
        {{"lighting", "set", "0", "speed", "fast"}, vpc::ctl::kExitOutOfRange, std::nullopt},
        {{"lighting", "set", "0", "direction", "1"}, 0, std::array{6, 4, 4, 1, -1, -1, -1, -1}},
        {{"lighting", "set", "0", "direction", "2"}, vpc::ctl::kExitOutOfRange, std::nullopt},
        {{"lighting", "set", "0", "color", "#0a7f3c"},
         0,
         std::array{6, 4, 4, 1, 0, 0x0a, 0x7f, 0x3c}},
        {{"lighting", "set", "0", "color", "C0FFEE"},
         0,
         std::array{6, 4, 4, 1, 0, 0xc0, 0xff, 0xee}},
        {{"lighting", "set", "0", "color", "#12345"}, vpc::ctl::kExitOutOfRange, std::nullopt},
        {{"lighting", "set", "0", "mode", "5"}, 0, std::array{5, 4, 4, 1, 0, 0xc0, 0xff, 0xee}},
        {{"lighting", "set", "0", "mode", "256"}, vpc::ctl::kExitOutOfRange, std::nullopt},
        {{"lighting", "set", "0", "glow", "1"}, vpc::ctl::kExitOutOfRange, std::nullopt},
        {{"lighting", "set", "mouse", "mode", "5"}, vpc::ctl::kExitUnknown, std::nullopt},
        {{"lighting", "set", "1", "mode", "5"}, vpc::ctl::kExitUnknown, std::nullopt},
    };
    for (const SetCase& c : cases) {
        const Record before = ActiveRecord();
        const CtlRun run = Ctl(c.arguments);
        const QString label = c.arguments.join(' ');
        ASSERT_EQ(run.exitCode, c.exitCode) << qPrintable(label + ": " + run.err);
        const Record after = ActiveRecord();
        if (!c.bytes) {
            EXPECT_EQ(after, before) << qPrintable(label);
            EXPECT_FALSE(run.err.trimmed().isEmpty()) << qPrintable(label);
            continue;
        }
        for (std::size_t i = 0; i < c.bytes->size(); ++i) {
            if ((*c.bytes)[i] >= 0) {
                EXPECT_EQ(after[i + 1], (*c.bytes)[i]) << qPrintable(label) << " byte " << i + 1;
            }
        }
    }

    // the window shows what was set, as if the user had set it
    ASSERT_NE(Panel(), nullptr);
    EXPECT_EQ(Panel()->GetMode(), 5);
    EXPECT_EQ(Panel()->GetBrightness(), 4);
    EXPECT_EQ(Panel()->GetSpeed(), 0);
    EXPECT_EQ(Panel()->GetPaletteColor() & 0xFFFFFFu, 0xC0FFEEu);

    const CtlRun get = Ctl({"lighting", "get", "keypad", "--json"});
    ASSERT_EQ(get.exitCode, 0);
    const QJsonObject lighting = QJsonDocument::fromJson(get.out.toUtf8()).object();
    EXPECT_EQ(lighting["mode"].toInt(), 5);
    EXPECT_EQ(lighting["brightness"].toInt(), 4);
    EXPECT_EQ(lighting["speed"].toInt(), 0);
    EXPECT_EQ(lighting["direction"].toInt(), 1);
    EXPECT_EQ(lighting["color"].toString(), "#c0ffee");
    EXPECT_FALSE(lighting["multiColor"].toBool());
}

TEST_F(VornaCtlTest, GameEventsAndLightControl) {
    struct Case {
        QStringList arguments;
        int exitCode;
    };
    const std::vector<Case> cases = {
        {{"game", "start", "3", "6"}, vpc::ctl::kExitOutOfRange},
        {{"game", "kill", "0", "300"}, vpc::ctl::kExitOutOfRange},
        {{"game", "start", "1", "6"}, 0},
        {{"light-control", "release"}, 0},
    };
    for (const Case& c : cases) {
        const CtlRun run = Ctl(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << qPrintable(c.arguments.join(' ') + ": " + run.err);
    }
    EXPECT_TRUE(window->IsGameLightingTimerActive()) << "the valid game event showed its mode";
    EXPECT_FALSE(window->LightControlFlag());
    EXPECT_FALSE(keyboard->IsLightControlled());
    ASSERT_EQ(Ctl({"light-control", "take"}).exitCode, 0);
    EXPECT_TRUE(window->LightControlFlag());
    EXPECT_TRUE(keyboard->IsLightControlled());
}

TEST_F(VornaCtlTest, ProfilesAreListedSwitchedExportedAndImported) {
    const CtlRun list = Ctl({"--json", "profiles", "list", "keypad"});
    ASSERT_EQ(list.exitCode, 0) << qPrintable(list.err);
    const QJsonObject before = QJsonDocument::fromJson(list.out.toUtf8()).object();
    const QJsonArray profiles = before["profiles"].toArray();
    ASSERT_GE(profiles.size(), 1);
    const QString first = profiles.first().toObject()["id"].toString();
    EXPECT_EQ(before["current"].toString(), first);

    const QString file = exportDir.path() + "/first.json";
    ASSERT_EQ(Ctl({"profiles", "export", "0", first, file}).exitCode, 0);
    EXPECT_TRUE(QFile::exists(file));
    const CtlRun imported = Ctl({"--json", "profiles", "import", "0", file});
    ASSERT_EQ(imported.exitCode, 0) << qPrintable(imported.err);
    const QJsonArray after =
        QJsonDocument::fromJson(imported.out.toUtf8()).object()["profiles"].toArray();
    ASSERT_EQ(after.size(), profiles.size() + 1);
    const QJsonObject added = after.last().toObject();
    EXPECT_NE(added["id"].toString(), first);

    const CtlRun switched = Ctl({"--json", "profiles", "switch", "0", added["name"].toString()});
    ASSERT_EQ(switched.exitCode, 0) << qPrintable(switched.err);
    EXPECT_EQ(QJsonDocument::fromJson(switched.out.toUtf8()).object()["current"].toString(),
              added["id"].toString());
    EXPECT_EQ(keyboard->GetProfileName(), added["id"].toString());

    EXPECT_EQ(Ctl({"profiles", "switch", "0", "no such profile"}).exitCode, vpc::ctl::kExitUnknown);
    EXPECT_EQ(Ctl({"profiles", "import", "0", exportDir.path() + "/missing.json"}).exitCode,
              vpc::ctl::kExitFailed);
}

} // namespace
