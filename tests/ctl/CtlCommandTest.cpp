// vorna-ctl's command line: which method each command calls with which arguments, the
// mistakes it refuses before calling anything, and the exit codes of the program's errors.
#include "CtlCommand.h"

#include <gtest/gtest.h>

namespace {

using namespace vpc::ctl;

struct ParseCase {
    QStringList words;
    QString method;
    QVariantList arguments;
    bool json;
};

TEST(CtlCommandTest, CommandsBecomeTheirMethods) {
    const std::vector<ParseCase> cases = {
        {{"devices"}, "ListDevices", {}, false},
        {{"--json", "devices"}, "ListDevices", {}, true},
        {{"lighting", "get", "0", "--json"}, "GetLighting", {"0"}, true},
        {{"lighting", "set", "keypad", "speed", "3"},
         "SetLighting",
         {"keypad", "speed", "3"},
         false},
        {{"profiles", "list", "1"}, "ListProfiles", {"1"}, false},
        {{"profiles", "switch", "0", "Game"}, "SwitchProfile", {"0", "Game"}, false},
        {{"profiles", "export", "0", "Game", "out/p.json"},
         "ExportProfile",
         {"0", "Game", "/home/user/out/p.json"},
         false},
        {{"profiles", "import", "0", "/tmp/../tmp/p.json"},
         "ImportProfile",
         {"0", "/tmp/p.json"},
         false},
        {{"game", "start", "0", "8"}, "GameStart", {0, 8}, false},
        {{"game", "death", "2", "5"}, "GameDeath", {2, 5}, false},
        {{"light-control", "release"}, "RequestLightControl", {1, 0}, false},
        {{"light-control", "take"}, "RequestLightControl", {1, 1}, false},
    };
    for (const ParseCase& c : cases) {
        const CtlCommand command = ParseCommandLine(c.words, "/home/user");
        EXPECT_TRUE(command.error.isEmpty()) << qPrintable(c.words.join(' '));
        EXPECT_EQ(command.method, c.method) << qPrintable(c.words.join(' '));
        EXPECT_EQ(command.arguments, c.arguments) << qPrintable(c.words.join(' '));
        EXPECT_EQ(command.json, c.json) << qPrintable(c.words.join(' '));
    }
}

TEST(CtlCommandTest, MistakesAreRefusedBeforeAnyCall) {
    const std::vector<QStringList> wrong = {
        {},
        {"lights"},
        {"devices", "extra"},
        {"lighting", "get"},
        {"lighting", "set", "0", "mode"},
        {"lighting", "blink", "0"},
        {"profiles", "switch", "0"},
        {"game", "win", "0", "5"},
        {"game", "start", "zero", "5"},
        {"game", "start", "0"},
        {"light-control", "steal"},
    };
    for (const QStringList& words : wrong) {
        const CtlCommand command = ParseCommandLine(words, "/");
        EXPECT_TRUE(command.method.isEmpty()) << qPrintable(words.join(' '));
        EXPECT_FALSE(command.error.isEmpty()) << qPrintable(words.join(' '));
    }
}

TEST(CtlCommandTest, ErrorsBecomeExitCodes) {
    const std::vector<std::pair<QString, int>> cases = {
        {"com.vornapad.QMT58ControlCenter.Error.UnknownDevice", kExitUnknown},
        {"com.vornapad.QMT58ControlCenter.Error.UnknownProfile", kExitUnknown},
        {"com.vornapad.QMT58ControlCenter.Error.OutOfRange", kExitOutOfRange},
        {"com.vornapad.QMT58ControlCenter.Error.Failed", kExitFailed},
        {"com.vornapad.QMT58ControlCenter.Error.NotReady", kExitFailed},
        {"org.freedesktop.DBus.Error.ServiceUnknown", kExitUnreachable},
        {"org.freedesktop.DBus.Error.Spawn.ChildExited", kExitUnreachable},
        {"org.freedesktop.DBus.Error.NoReply", kExitUnreachable},
        {"org.freedesktop.DBus.Error.InvalidArgs", kExitOutOfRange},
    };
    for (const auto& [name, code] : cases)
        EXPECT_EQ(ExitCodeOfError(name), code) << qPrintable(name);
}

} // namespace
