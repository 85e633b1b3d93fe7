// Opens the desktop's own keyboard or mouse settings: the settings program of the running
// desktop (GNOME, KDE Plasma, Xfce, MATE, Cinnamon, LXQt), or the first of them installed.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

enum class DesktopSettingsPage { Keyboard = 0, Mouse = 1 };

struct DesktopSettingsCommand {
    QString program; // the full path found
    QStringList arguments;
    bool operator==(const DesktopSettingsCommand&) const = default;
};

// desktop: the value of XDG_CURRENT_DESKTOP; findExecutable: a program name to its full path,
// empty when it is not installed.
std::optional<DesktopSettingsCommand>
FindDesktopSettingsCommand(DesktopSettingsPage page, const QString& desktop,
                           const std::function<QString(const QString&)>& findExecutable);

// Starts the settings program detached; false when none is installed or it did not start.
bool OpenDesktopSettings(DesktopSettingsPage page);
