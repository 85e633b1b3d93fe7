#include "StartOptions.h"

#include <QtGlobal>

CStartOptions CStartOptions::Parse(const QStringList& arguments) {
    CStartOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == "--simulate" || argument.startsWith("--simulate=")) {
            const QString kinds = argument.section('=', 1);
            const QStringList named = kinds.split(',', Qt::SkipEmptyParts);
            options.simulatedDevices << (named.isEmpty() ? QStringList{"keypad"} : named);
        } else if (argument == "--screenshot" && i + 1 < arguments.size()) {
            options.screenshotFile = arguments[++i];
        } else if (argument == "--minimized") {
            options.minimized = true;
        } else {
            qWarning("Unknown argument ignored: %s", qPrintable(argument));
        }
    }
    options.simulatedDevices.removeDuplicates();
    return options;
}

std::optional<QString> CStartOptions::InformationAskedFor(const QStringList& arguments,
                                                          const QString& version) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == "--version" || argument == "-v")
            return QStringLiteral("vorna-control-center %1\n").arg(version);
        if (argument == "--help" || argument == "-h") {
            return QStringLiteral(
                "Usage: vorna-control-center [--minimized] [--simulate[=KINDS]] [--screenshot "
                "FILE]\n"
                "The control center of the VORNA PAD keypad, mice, mouse pads and headset.\n"
                "\n"
                "  --minimized          start hidden in the tray, as the session's autostart does\n"
                "  --simulate[=KINDS]   plug in simulated devices: keypad (the default),\n"
                "                       keypad-receiver, mouse, mouse-receiver, mousepad,\n"
                "                       headset, separated by commas; keypad:MODE starts the\n"
                "                       keypad in that lighting mode\n"
                "  --screenshot FILE    save a picture of the main window once shown, then end\n"
                "  -h, --help           show this text\n"
                "  -v, --version        show the program's version\n");
        }
    }
    return std::nullopt;
}
