#include "CtlCommand.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vpc::ctl {

namespace {

const QStringList kGameEvents = {"start", "end", "kill", "death"};
const QStringList kGameMethods = {"GameStart", "GameEnd", "GameKill", "GameDeath"};

bool ToInt(const QString& text, int& value) {
    bool ok = false;
    value = text.toInt(&ok, 10);
    return ok;
}

CtlCommand Wrong(QString why) {
    CtlCommand command;
    command.error = std::move(why);
    return command;
}

QString Absolute(const QString& file, const QString& folder) {
    return QDir::isAbsolutePath(file) ? QDir::cleanPath(file)
                                      : QDir::cleanPath(QDir(folder).absoluteFilePath(file));
}

} // namespace

QString UsageText() {
    return QStringLiteral(
        "usage: vorna-ctl [--json] COMMAND [ARGUMENTS]\n"
        "  devices                                  list the connected devices\n"
        "  lighting get DEVICE                      show the lighting of a device\n"
        "  lighting set DEVICE PROPERTY VALUE       PROPERTY: mode, brightness, speed,\n"
        "                                           direction (0 or 1), color (#rrggbb),\n"
        "                                           multicolor (0 or 1)\n"
        "  profiles list DEVICE                     list the profiles of a device\n"
        "  profiles switch DEVICE PROFILE           switch to a profile (name or id)\n"
        "  profiles export DEVICE PROFILE FILE      write a profile to a file\n"
        "  profiles import DEVICE FILE              add the profile in a file\n"
        "  game start|end|kill|death KIND MODE      show MODE for a while (KIND 0, 1 or 2)\n"
        "  light-control release|take               let another program drive the lighting,\n"
        "                                           or take it back\n"
        "DEVICE is a number from 'devices' or a kind (keypad, mouse, mousepad, headset).\n"
        "Exit codes: 0 done, 1 usage, 2 program not reachable, 3 unknown device or profile,\n"
        "4 value out of range, 5 refused or failed.\n");
}

CtlCommand ParseCommandLine(const QStringList& arguments, const QString& workingFolder) {
    QStringList words;
    bool json = false;
    for (const QString& argument : arguments) {
        if (argument == "--json")
            json = true;
        else if (argument == "--help" || argument == "-h")
            return Wrong(QString());
        else
            words << argument;
    }
    if (words.isEmpty())
        return Wrong(QStringLiteral("no command given"));

    CtlCommand command;
    const QString verb = words.takeFirst();
    const auto need = [&](int count, const char* form) {
        if (words.size() == count)
            return true;
        command.error = QStringLiteral("usage: vorna-ctl %1").arg(QString::fromLatin1(form));
        return false;
    };
    if (verb == "devices") {
        if (need(0, "devices")) {
            command.method = "ListDevices";
            command.answer = AnswerKind::DeviceList;
        }
    } else if (verb == "lighting" && !words.isEmpty() && words.first() == "get") {
        words.removeFirst();
        if (need(1, "lighting get DEVICE")) {
            command.method = "GetLighting";
            command.arguments = {words[0]};
            command.answer = AnswerKind::Lighting;
        }
    } else if (verb == "lighting" && !words.isEmpty() && words.first() == "set") {
        words.removeFirst();
        if (need(3, "lighting set DEVICE PROPERTY VALUE")) {
            command.method = "SetLighting";
            command.arguments = {words[0], words[1], words[2]};
            command.answer = AnswerKind::Lighting;
        }
    } else if (verb == "profiles" && !words.isEmpty() && words.first() == "list") {
        words.removeFirst();
        if (need(1, "profiles list DEVICE")) {
            command.method = "ListProfiles";
            command.arguments = {words[0]};
            command.answer = AnswerKind::Profiles;
        }
    } else if (verb == "profiles" && !words.isEmpty() && words.first() == "switch") {
        words.removeFirst();
        if (need(2, "profiles switch DEVICE PROFILE")) {
            command.method = "SwitchProfile";
            command.arguments = {words[0], words[1]};
            command.answer = AnswerKind::Profiles;
        }
    } else if (verb == "profiles" && !words.isEmpty() && words.first() == "export") {
        words.removeFirst();
        if (need(3, "profiles export DEVICE PROFILE FILE")) {
            command.method = "ExportProfile";
            command.arguments = {words[0], words[1], Absolute(words[2], workingFolder)};
        }
    } else if (verb == "profiles" && !words.isEmpty() && words.first() == "import") {
        words.removeFirst();
        if (need(2, "profiles import DEVICE FILE")) {
            command.method = "ImportProfile";
            command.arguments = {words[0], Absolute(words[1], workingFolder)};
            command.answer = AnswerKind::Profiles;
        }
    } else if (verb == "game") {
        if (need(3, "game start|end|kill|death KIND MODE")) {
            const int event = kGameEvents.indexOf(words[0]);
            int kind = 0;
            int mode = 0;
            if (event < 0)
                return Wrong(QStringLiteral("unknown game event \"%1\" (start, end, kill, death)")
                                 .arg(words[0]));
            if (!ToInt(words[1], kind) || !ToInt(words[2], mode))
                return Wrong(QStringLiteral("KIND and MODE are whole numbers"));
            command.method = kGameMethods[event];
            command.arguments = {kind, mode};
        }
    } else if (verb == "light-control") {
        if (need(1, "light-control release|take")) {
            if (words[0] != "release" && words[0] != "take")
                return Wrong(QStringLiteral("light-control takes release or take, not \"%1\"")
                                 .arg(words[0]));
            command.method = "RequestLightControl";
            command.arguments = {1, words[0] == "take" ? 1 : 0};
        }
    } else {
        command.error = QStringLiteral("unknown command \"%1\"").arg(verb);
    }
    command.json = json;
    return command;
}

int ExitCodeOfError(const QString& errorName) {
    if (errorName.endsWith(".Error.UnknownDevice") || errorName.endsWith(".Error.UnknownProfile"))
        return kExitUnknown;
    if (errorName.endsWith(".Error.OutOfRange") ||
        errorName == "org.freedesktop.DBus.Error.InvalidArgs")
        return kExitOutOfRange;
    if (errorName.startsWith("com.vornapad."))
        return kExitFailed;
    if (errorName == "org.freedesktop.DBus.Error.ServiceUnknown" ||
        errorName == "org.freedesktop.DBus.Error.NoReply" ||
        errorName == "org.freedesktop.DBus.Error.Spawn.ChildExited" ||
        errorName.startsWith("org.freedesktop.DBus.Error.Spawn") ||
        errorName == "org.freedesktop.DBus.Error.Disconnected" ||
        errorName == "org.freedesktop.DBus.Error.NoServer" ||
        errorName == "org.freedesktop.DBus.Error.Timeout" ||
        errorName == "org.freedesktop.DBus.Error.UnknownObject")
        return kExitUnreachable;
    return kExitFailed;
}

QString FormatAnswer(AnswerKind kind, const QString& json) {
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8());
    QString text;
    switch (kind) {
    case AnswerKind::Nothing:
        break;
    case AnswerKind::DeviceList: {
        const QJsonArray devices = document.array();
        if (devices.isEmpty())
            return QStringLiteral("no device connected\n");
        text += QStringLiteral("%1  %2  %3  %4  %5  %6\n")
                    .arg("id", -3)
                    .arg("kind", -9)
                    .arg("connection", -10)
                    .arg("battery", -7)
                    .arg("lighting", -9)
                    .arg("name");
        for (const QJsonValue& value : devices) {
            const QJsonObject device = value.toObject();
            const QJsonValue battery = device["battery"];
            text += QStringLiteral("%1%2  %3  %4  %5  %6  %7\n")
                        .arg(device["current"].toBool() ? "*" : " ")
                        .arg(device["id"].toInt(), -2)
                        .arg(device["kind"].toString(), -9)
                        .arg(device["connection"].toString(), -10)
                        .arg(battery.isDouble() ? QString::number(battery.toInt()) + "%"
                                                : QStringLiteral("-"),
                             -7)
                        .arg(device["lightControl"].toBool() ? "this" : "other", -9)
                        .arg(device["name"].toString());
        }
        break;
    }
    case AnswerKind::Lighting: {
        const QJsonObject lighting = document.object();
        for (const char* key : {"mode", "brightness", "speed", "direction"})
            text += QStringLiteral("%1: %2\n").arg(key).arg(lighting[key].toInt());
        text += QStringLiteral("color: %1\n").arg(lighting["color"].toString());
        text += QStringLiteral("multicolor: %1\n").arg(lighting["multiColor"].toBool() ? 1 : 0);
        break;
    }
    case AnswerKind::Profiles: {
        const QJsonObject profiles = document.object();
        const QString current = profiles["current"].toString();
        for (const QJsonValue& value : profiles["profiles"].toArray()) {
            const QJsonObject profile = value.toObject();
            text += QStringLiteral("%1 %2  %3\n")
                        .arg(profile["id"].toString() == current ? "*" : " ")
                        .arg(profile["id"].toString())
                        .arg(profile["name"].toString());
        }
        break;
    }
    }
    return text;
}

} // namespace vpc::ctl
