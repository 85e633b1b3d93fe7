// Start-up with damaged skins, the command line and the registered messages.
#include "AppMessages.h"
#include "ProgramProcess.h"
#include "StartOptions.h"
#include "WindowMessages.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// A skin folder with the shipped style and texts but a chosen res.xml.
QString MakeSkin(const QTemporaryDir& dir, const QByteArray& index) {
    const QString skin = dir.path() + "/skin";
    QDir().mkpath(skin + "/language");
    QFile::copy(VPC_SKIN_SOURCE_DIR "/language/en.json", skin + "/language/en.json");
    QFile file(skin + "/res.xml");
    file.open(QIODevice::WriteOnly);
    file.write(index);
    return skin;
}

QProcessEnvironment WithoutBus(const QTemporaryDir& dir, const QString& skin) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir.path() + "/no-bus");
    environment.insert("XDG_RUNTIME_DIR", dir.path());
    environment.insert("VPC_SKIN_DIR", skin);
    return environment;
}

TEST(StartUpTest, StartsWithoutFontsAndWithAMissingLayoutAndShowsTheWindow) {
    struct Case {
        const char* name;
        QByteArray index;
    };
    const Case cases[] = {
        {"missing layout file",
         "<Resource><Layout name=\"XML_MAIN\" file=\"layout/gone.ui\"/></Resource>"},
        {"malformed index", "<Resource><Layout name="},
        {"shipped skin without fonts", {}},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        QString skin = MakeSkin(dir, c.index);
        if (c.index.isEmpty()) {
            skin = VPC_SKIN_SOURCE_DIR; // ships no "Font" folder
        }
        ProgramProcess program(WithoutBus(dir, skin));
        const QString picture = dir.path() + "/window.png";
        ASSERT_TRUE(program.Start({"--screenshot", picture})) << c.name;
        ASSERT_TRUE(program.WaitForExit(20000)) << c.name;
        EXPECT_EQ(program.ExitStatus(), QProcess::NormalExit)
            << c.name << qPrintable(program.Output());
        EXPECT_EQ(program.ExitCode(), 0) << c.name;
        const QImage image(picture);
        // created at 800 x 572, then grown to its working size as far as the screen allows
        EXPECT_GE(image.width(), 800) << c.name << qPrintable(program.Output());
        EXPECT_GE(image.height(), 572) << c.name;
    }
}

TEST(StartUpTest, AnUnusableProfileFolderIsReportedAndTheProgramStillRuns) {
    QTemporaryDir dir;
    QFile blocker(dir.path() + "/not-a-folder");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QProcessEnvironment environment = WithoutBus(dir, VPC_SKIN_SOURCE_DIR);
    environment.insert("VPC_USER_DATA_ROOT", blocker.fileName() + "/VORNAPADQMT58ControlCenter");
    ProgramProcess program(environment);
    ASSERT_TRUE(program.Start());
    EXPECT_TRUE(program.WaitForOutput("not-a-folder", 20000)) << qPrintable(program.Output());
    EXPECT_TRUE(program.WaitForOutput("Showing the unusable profile folder notice", 20000))
        << qPrintable(program.Output());
    program.Terminate();
    ASSERT_TRUE(program.WaitForExit(10000)) << "the notice does not hold the program";
    EXPECT_EQ(program.ExitStatus(), QProcess::NormalExit) << qPrintable(program.Output());
    EXPECT_EQ(program.ExitCode(), 0);
}

TEST(StartOptionsTest, ParsesSimulatedDevicesAndScreenshot) {
    EXPECT_TRUE(CStartOptions::Parse({"prog"}).simulatedDevices.isEmpty());
    EXPECT_EQ(CStartOptions::Parse({"prog", "--simulate"}).simulatedDevices, QStringList{"keypad"});
    EXPECT_EQ(CStartOptions::Parse({"prog", "--simulate=keypad,mouse", "--simulate=mouse"})
                  .simulatedDevices,
              QStringList({"keypad", "mouse"}));
    const CStartOptions withShot =
        CStartOptions::Parse({"prog", "--bogus", "--screenshot", "/tmp/a.png"});
    EXPECT_EQ(withShot.screenshotFile, "/tmp/a.png");
    EXPECT_TRUE(CStartOptions::Parse({"prog", "--screenshot"}).screenshotFile.isEmpty());
}

// "--help" and "--version" are answered from a terminal without a display: the toolkit,
// which would fail there, is not started.
TEST(StartOptionsTest, HelpAndVersionAreAnsweredBeforeTheToolkitStarts) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("QT_QPA_PLATFORM", "xcb");
    const auto run = [&environment](const QStringList& arguments) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(VPC_PROGRAM_PATH, arguments);
        EXPECT_TRUE(program.waitForFinished(10000)) << qPrintable(arguments.join(' '));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << qPrintable(arguments.join(' '));
        EXPECT_TRUE(program.readAllStandardError().isEmpty()) << qPrintable(arguments.join(' '));
        return QString::fromLocal8Bit(program.readAllStandardOutput());
    };
    for (const char* help : {"--help", "-h"}) {
        const QString usage = run({"--minimized", help});
        EXPECT_TRUE(usage.startsWith("Usage: vorna-control-center")) << qPrintable(usage);
        for (const char* option : {"--minimized", "--simulate", "--screenshot", "--version"})
            EXPECT_TRUE(usage.contains(option)) << option;
    }
    const QString version = run({"--version"});
    EXPECT_TRUE(
        QRegularExpression("^vorna-control-center [0-9]+(\\.[0-9]+)+\n$").match(version).hasMatch())
        << qPrintable(version);
    EXPECT_EQ(run({"-v"}), version);
}

TEST(RegisteredMessagesTest, NamesGetStableNumbersInTheRegisteredRange) {
    RegisterHookAndGameMessages();
    ASSERT_TRUE(RegisterInstanceMessage());
    RegisterProgramMessages();
    const CAppMessages& m = AppMessages();
    EXPECT_EQ(m.mouseRButtonDown, m.mouseRButtonDownAgain);
    EXPECT_NE(m.gameStart, m.gameEnd);
    EXPECT_NE(m.updateStatus, m.audioRecordCommand);
    for (const UINT number :
         {m.hookKeySingleKey, m.gameDeath, m.instanceActivate, m.workToolQuery}) {
        EXPECT_GE(number, 0xC000u);
        EXPECT_LE(number, 0xFFFFu);
    }
    EXPECT_EQ(RegisterWindowMessage("Game_Kill"), m.gameKill);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

} // namespace
