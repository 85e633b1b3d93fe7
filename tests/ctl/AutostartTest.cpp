// Starting with the session: the tray menu's switch writes the XDG autostart entry that
// starts the program hidden in the tray, and removes it again.
#include "Autostart.h"
#include "MainWnd.h"
#include "MenuWnd.h"
#include "StartUp.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(AutostartTest, EntryStartsTheProgramMinimisedAndGoesAway) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const CAutostart autostart(config.path());
    EXPECT_EQ(autostart.EntryPath(),
              config.path() + "/autostart/com.vornapad.QMT58ControlCenter.desktop");
    EXPECT_FALSE(autostart.IsEnabled());

    ASSERT_TRUE(autostart.Enable("/opt/vorna pad/bin/vorna-control-center"));
    EXPECT_TRUE(autostart.IsEnabled());
    const QString text = ReadAll(autostart.EntryPath());
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nExec=\"/opt/vorna pad/bin/vorna-control-center\" --minimized\n"))
        << qPrintable(text);
    EXPECT_TRUE(text.contains("\nType=Application\n"));

    ASSERT_TRUE(autostart.Disable());
    EXPECT_FALSE(QFile::exists(autostart.EntryPath()));
    EXPECT_FALSE(autostart.IsEnabled());
    EXPECT_TRUE(autostart.Disable()) << "nothing left to remove is not a failure";
}

TEST(AutostartTest, HiddenEntriesAndBadPathsAreNotTakenAsOn) {
    QTemporaryDir config;
    const CAutostart autostart(config.path());
    EXPECT_FALSE(autostart.Enable("vorna-control-center")) << "a relative program path";
    EXPECT_FALSE(QFile::exists(autostart.EntryPath()));

    ASSERT_TRUE(autostart.Enable("/usr/bin/vorna-control-center"));
    QFile entry(autostart.EntryPath());
    ASSERT_TRUE(entry.open(QIODevice::Append));
    entry.write("Hidden=true\n");
    entry.close();
    EXPECT_FALSE(autostart.IsEnabled());

    // a file where the folder should be: a clear failure, no crash
    QTemporaryDir blocked;
    QFile blocker(blocked.path() + "/autostart");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString why;
    EXPECT_FALSE(CAutostart(blocked.path()).Enable("/usr/bin/vorna-control-center", &why));
    EXPECT_FALSE(why.isEmpty());
}

TEST(AutostartTest, TrayMenuSwitchTurnsItOnAndOff) {
    qputenv("VPC_SKIN_DIR", VPC_SKIN_SOURCE_DIR);
    InitSkinResources();
    const std::unique_ptr<QMenu> menu = CMenuWnd::BuildMenu("menu/tray_menu.xml");
    ASSERT_NE(menu, nullptr);
    const QAction* item = nullptr;
    for (const QAction* action : menu->actions())
        if (action->objectName() == "autostart_menu")
            item = action;
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isCheckable());
    EXPECT_EQ(item->text(), "Start with the session");

    QTemporaryDir config;
    CMainWnd window;
    const CAutostart autostart(config.path());
    ASSERT_TRUE(window.ToggleAutostart(config.path()));
    EXPECT_TRUE(autostart.IsEnabled());
    EXPECT_TRUE(
        ReadAll(autostart.EntryPath())
            .contains("Exec=\"" + QCoreApplication::applicationFilePath() + "\" --minimized"));
    ASSERT_TRUE(window.ToggleAutostart(config.path()));
    EXPECT_FALSE(autostart.IsEnabled());
    qunsetenv("VPC_SKIN_DIR");
}

} // namespace
