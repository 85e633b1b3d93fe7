// One instance per session: a second start hands over to the first and ends.
#include "AppDBusService.h"
#include "ProgramProcess.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <gtest/gtest.h>

namespace {

bool NameIsOwned() {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(kDBusServiceName).value();
}

bool WaitForName(bool owned, int milliseconds) {
    return QTest::qWaitFor([owned] { return NameIsOwned() == owned; }, milliseconds);
}

TEST(SingleInstanceTest, SecondStartActivatesTheFirstAndExitsAndANewStartWorksAfterExit) {
    if (!QDBusConnection::sessionBus().isConnected()) {
        if (qEnvironmentVariableIsSet("CI")) {
            FAIL() << "no session bus in CI: run the tests under dbus-run-session";
        }
        GTEST_SKIP() << "no session bus: run the tests under dbus-run-session";
    }
    ASSERT_TRUE(WaitForName(false, 5000)) << "another instance owns the program's name";

    ProgramProcess first;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(WaitForName(true, 15000)) << qPrintable(first.Output());

    ProgramProcess second;
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.WaitForExit(10000));
    EXPECT_EQ(second.ExitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_TRUE(second.Output().contains("already running")) << qPrintable(second.Output());
    EXPECT_TRUE(first.WaitForOutput("Activation requested", 5000)) << qPrintable(first.Output());

    first.Terminate();
    ASSERT_TRUE(first.WaitForExit(5000));
    EXPECT_EQ(first.ExitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.ExitCode(), 0);

    ProgramProcess third;
    ASSERT_TRUE(third.Start());
    EXPECT_TRUE(WaitForName(true, 15000)) << qPrintable(third.Output());
    third.Terminate();
    ASSERT_TRUE(third.WaitForExit(5000));
    EXPECT_EQ(third.ExitCode(), 0);
    EXPECT_TRUE(WaitForName(false, 5000));
}

TEST(SingleInstanceTest, WithoutASessionBusALockFileKeepsOneInstance) {
    QTemporaryDir runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DBUS_SESSION_BUS_ADDRESS");
    environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + runtime.path() + "/no-bus");
    environment.insert("XDG_RUNTIME_DIR", runtime.path());

    ProgramProcess first(environment);
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return QFile::exists(runtime.path() + "/vorna-control-center.lock"); }, 15000))
        << qPrintable(first.Output());

    ProgramProcess second(environment);
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.WaitForExit(10000));
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_TRUE(second.Output().contains("already running")) << qPrintable(second.Output());

    first.Terminate();
    ASSERT_TRUE(first.WaitForExit(5000));
    EXPECT_EQ(first.ExitCode(), 0);
    EXPECT_FALSE(QFile::exists(runtime.path() + "/vorna-control-center.lock"));
}

} // namespace
