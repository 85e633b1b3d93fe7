// vorna-ctl's command line: which D-Bus method of the running program a command calls, with
// which arguments, and the exit code a D-Bus error becomes.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace vpc::ctl {

// The exit codes of vorna-ctl.
enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 1,       // the command line is wrong
    kExitUnreachable = 2, // the program could not be reached or started
    kExitUnknown = 3,     // unknown device or profile
    kExitOutOfRange = 4,  // a value the device does not take
    kExitFailed = 5,      // the program refused or failed the request
};

// What the answer of a method is, for printing it.
enum class AnswerKind { Nothing, DeviceList, Lighting, Profiles };

struct CtlCommand {
    QString method;
    QVariantList arguments;
    AnswerKind answer = AnswerKind::Nothing;
    bool json = false;
    QString error; // not empty: the command line is wrong, and why
};

// arguments: the command line without the program name. Relative files become absolute
// (the program runs in another folder).
CtlCommand ParseCommandLine(const QStringList& arguments, const QString& workingFolder);

// The exit code of a D-Bus error name ("...Error.UnknownDevice", "org.freedesktop.DBus.Error...").
int ExitCodeOfError(const QString& errorName);

// The answer as people read it (JSON is printed as it came for --json).
QString FormatAnswer(AnswerKind kind, const QString& json);

QString UsageText();

} // namespace vpc::ctl
