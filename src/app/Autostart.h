// Starting with the session: the XDG autostart entry that starts the program hidden in the
// tray, written when the user turns it on and removed when they turn it off.
#pragma once

#include <QString>

class CAutostart {
public:
    // The entry lives in configFolder/autostart (XDG_CONFIG_HOME, ~/.config by default).
    explicit CAutostart(QString configFolder = DefaultConfigFolder());

    static QString DefaultConfigFolder();
    QString EntryPath() const;
    // Whether the entry is there and not hidden (a desktop may hide it with "Hidden=true").
    bool IsEnabled() const;
    // Writes the entry for program (an absolute path); false with why when it cannot be written.
    bool Enable(const QString& program, QString* why = nullptr) const;
    // Removes the entry; true when none is left.
    bool Disable(QString* why = nullptr) const;
    // The entry's text for program.
    static QString EntryText(const QString& program);

private:
    QString m_configFolder;
};
