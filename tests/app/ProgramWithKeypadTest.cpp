// The real program with the simulated keypad, driven from outside over the session
// bus as other programs drive it: WorkTool query, lighting control, and a prompt end
// with the device bound.
#include "AppDBusService.h"
#include "ProgramProcess.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class LightControlListener : public QObject {
    Q_OBJECT
public:
    QList<QPair<int, int>> notices;
public slots:
    void OnNotify(int request, int enable) { notices.append({request, enable}); }
};

TEST(ProgramWithKeypadTest, BindsTheKeypadAnswersOtherProgramsAndEndsPromptly) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (qEnvironmentVariableIsSet("CI")) {
            FAIL() << "no session bus in CI: run the tests under dbus-run-session";
        }
        GTEST_SKIP() << "no session bus: run the tests under dbus-run-session";
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !bus.interface()->isServiceRegistered(kDBusServiceName).value(); }, 5000))
        << "another instance owns the program's name";

    LightControlListener listener;
    ASSERT_TRUE(bus.connect(QString(), kDBusObjectPath, kDBusInterfaceName, "LightControlNotify",
                            &listener, SLOT(OnNotify(int, int))));

    ProgramProcess program;
    ASSERT_TRUE(program.Start({"--simulate"}));
    ASSERT_TRUE(program.WaitForOutput("Device arrived in slot 1", 20000))
        << qPrintable(program.Output());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !listener.notices.isEmpty(); }, 5000));
    EXPECT_EQ(listener.notices.first(), qMakePair(1, 1))
        << "the program drives the lighting at start";

    QDBusInterface remote(kDBusServiceName, kDBusObjectPath, kDBusInterfaceName, bus);
    ASSERT_TRUE(remote.isValid());
    const QDBusReply<QByteArray> block = remote.call("QueryWorkTool");
    ASSERT_TRUE(block.isValid()) << qPrintable(block.error().message());
    const QByteArray bytes = block.value();
    ASSERT_EQ(bytes.size(), 1024);
    const auto word = [&bytes](int index) { // little-endian 32-bit words
        std::uint32_t value = 0;
        for (int byte = 3; byte >= 0; --byte)
            value = (value << 8) | static_cast<std::uint8_t>(bytes.at(4 * index + byte));
        return value;
    };
    EXPECT_EQ(word(4), 4u);
    EXPECT_EQ(word(5 + 3), 0x320Fu) << "row 1 is the keypad";
    EXPECT_EQ(word(5 + 4), 0x5055u);
    EXPECT_EQ(word(5 + 5), 1u);

    // Requests from other programs are not echoed as notices; bad arguments are refused.
    EXPECT_EQ(remote.call("RequestLightControl", 1, 0).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(remote.call("GameStart", 0, 999).type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(remote.call("GameStart", QStringLiteral("x")).type(), QDBusMessage::ErrorMessage);
    QTest::qWait(200);
    EXPECT_EQ(listener.notices.size(), 1);

    QElapsedTimer ending;
    ending.start();
    program.Terminate();
    ASSERT_TRUE(program.WaitForExit(5000));
    EXPECT_LT(ending.elapsed(), 1000) << "the device threads stop within a second";
    EXPECT_EQ(program.ExitCode(), 0);
}

} // namespace

#include "ProgramWithKeypadTest.moc"
