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
