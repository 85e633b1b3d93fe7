// The command line of the program: which simulated devices to plug in and where
// to save a picture of the main window.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct CStartOptions {
    // Device kinds to simulate ("keypad" by default with --simulate).
    QStringList simulatedDevices;
    // Save a picture of the main window there once it is shown, then end.
    QString screenshotFile;
    // Start hidden in the tray (minimised where there is no tray), as the session's autostart does.
    bool minimized = false;

    // Unknown arguments are reported and ignored; nothing here ends the program.
    static CStartOptions Parse(const QStringList& arguments);

    // What "--help" or "--version" asks to print before anything starts (the usage or
    // the program's name and version), or nothing when neither is among the arguments.
    static std::optional<QString> InformationAskedFor(const QStringList& arguments,
                                                      const QString& version);
};
