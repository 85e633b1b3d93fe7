#include "DesktopSettings.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

struct Candidate {
    const char* desktop; // a name XDG_CURRENT_DESKTOP lists for this desktop
    const char* program;
    const char* keyboardArgument; // empty: a program of its own per page
    const char* mouseArgument;
    const char* mouseProgram; // when the mouse has a program of its own
};

constexpr Candidate kCandidates[] = {
    {"GNOME", "gnome-control-center", "keyboard", "mouse", nullptr},
    {"KDE", "systemsettings", "kcm_keyboard", "kcm_mouse", nullptr},
    {"KDE", "systemsettings5", "kcm_keyboard", "kcm_mouse", nullptr},
    {"XFCE", "xfce4-keyboard-settings", "", "", "xfce4-mouse-settings"},
    {"MATE", "mate-keyboard-properties", "", "", "mate-mouse-properties"},
    {"X-Cinnamon", "cinnamon-settings", "keyboard", "mouse", nullptr},
    {"LXQt", "lxqt-config-input", "", "", "lxqt-config-input"},
};

std::optional<DesktopSettingsCommand>
CommandOf(const Candidate& candidate, DesktopSettingsPage page,
          const std::function<QString(const QString&)>& findExecutable) {
    const bool mouse = page == DesktopSettingsPage::Mouse;
    const char* program =
        mouse && candidate.mouseProgram ? candidate.mouseProgram : candidate.program;
    const QString path = findExecutable(QString::fromLatin1(program));
    if (path.isEmpty())
        return std::nullopt;
    const char* argument = mouse ? candidate.mouseArgument : candidate.keyboardArgument;
    DesktopSettingsCommand command{path, {}};
    if (*argument != '\0')
        command.arguments << QString::fromLatin1(argument);
    return command;
}

} // namespace

std::optional<DesktopSettingsCommand>
FindDesktopSettingsCommand(DesktopSettingsPage page, const QString& desktop,
                           const std::function<QString(const QString&)>& findExecutable) {
    // XDG_CURRENT_DESKTOP is a colon-separated list, most specific first ("ubuntu:GNOME").
    const QStringList names = desktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        for (const Candidate& candidate : kCandidates) {
            if (name.compare(QLatin1String(candidate.desktop), Qt::CaseInsensitive) != 0)
                continue;
            if (auto command = CommandOf(candidate, page, findExecutable))
                return command;
        }
    }
    for (const Candidate& candidate : kCandidates) {
        if (auto command = CommandOf(candidate, page, findExecutable))
            return command;
    }
    return std::nullopt;
}

bool OpenDesktopSettings(DesktopSettingsPage page) {
    const auto command = FindDesktopSettingsCommand(
        page, qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
        [](const QString& program) { return QStandardPaths::findExecutable(program); });
    return command && QProcess::startDetached(command->program, command->arguments);
}
