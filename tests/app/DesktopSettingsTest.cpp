// Which program opens the desktop's keyboard or mouse settings.
#include "DesktopSettings.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

struct Case {
    const char* what;
    DesktopSettingsPage page;
    const char* desktop;
    QSet<QString> installed;
    std::optional<DesktopSettingsCommand> expected;
};

TEST(DesktopSettings, TheRunningDesktopsProgramFirstThenAnyInstalled) {
    const QSet<QString> everything{"gnome-control-center", "systemsettings",
                                   "xfce4-keyboard-settings", "xfce4-mouse-settings"};
    const Case cases[] = {
        {"GNOME keyboard", DesktopSettingsPage::Keyboard, "ubuntu:GNOME", everything,
         DesktopSettingsCommand{"/usr/bin/gnome-control-center", {"keyboard"}}},
        {"KDE mouse", DesktopSettingsPage::Mouse, "KDE", everything,
         DesktopSettingsCommand{"/usr/bin/systemsettings", {"kcm_mouse"}}},
        {"Xfce mouse", DesktopSettingsPage::Mouse, "XFCE", everything,
         DesktopSettingsCommand{"/usr/bin/xfce4-mouse-settings", {}}},
        {"Plasma 5 only",
         DesktopSettingsPage::Keyboard,
         "KDE",
         {"systemsettings5"},
         DesktopSettingsCommand{"/usr/bin/systemsettings5", {"kcm_keyboard"}}},
        {"unknown desktop",
         DesktopSettingsPage::Keyboard,
         "sway",
         {"xfce4-keyboard-settings"},
         DesktopSettingsCommand{"/usr/bin/xfce4-keyboard-settings", {}}},
        {"nothing installed", DesktopSettingsPage::Mouse, "GNOME", {}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto found = FindDesktopSettingsCommand(
            c.page, QString::fromLatin1(c.desktop), [&](const QString& p) {
                return c.installed.contains(p) ? QStringLiteral("/usr/bin/") + p : QString();
            });
        EXPECT_EQ(found, c.expected);
    }
}

} // namespace
