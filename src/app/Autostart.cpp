#include "Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace {
constexpr const char* kEntryName = "com.vornapad.QMT58ControlCenter.desktop";
} // namespace

CAutostart::CAutostart(QString configFolder) : m_configFolder(std::move(configFolder)) {}

QString CAutostart::DefaultConfigFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString CAutostart::EntryPath() const {
    return m_configFolder + QStringLiteral("/autostart/") + QString::fromLatin1(kEntryName);
}

QString CAutostart::EntryText(const QString& program) {
    // Exec quotes the path as the desktop entry rules quote arguments
    QString quoted = program;
    for (const QChar special : {QChar('\\'), QChar('"'), QChar('`'), QChar('$')})
        quoted.replace(special, QStringLiteral("\\") + special);
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=VORNA PAD Control Center\n"
                          "Comment=Keeps the devices' settings and lighting from the start\n"
                          "Exec=\"%1\" --minimized\n"
                          "Icon=com.vornapad.QMT58ControlCenter\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(quoted);
}

bool CAutostart::IsEnabled() const {
    const QString path = EntryPath();
    if (!QFileInfo(path).isFile())
        return false;
    QSettings entry(path, QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    return entry.value(QStringLiteral("Hidden")).toString() != QLatin1String("true") &&
           entry.value(QStringLiteral("X-GNOME-Autostart-enabled")).toString() !=
               QLatin1String("false");
}

bool CAutostart::Enable(const QString& program, QString* why) const {
    if (!QDir::isAbsolutePath(program)) {
        if (why)
            *why = QStringLiteral("the program path is not absolute");
        return false;
    }
    const QString path = EntryPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (why)
            *why = QStringLiteral("cannot create %1").arg(QFileInfo(path).absolutePath());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(EntryText(program).toUtf8()) < 0 ||
        !file.commit()) {
        if (why)
            *why = file.errorString();
        return false;
    }
    return true;
}

bool CAutostart::Disable(QString* why) const {
    QFile file(EntryPath());
    if (!file.exists() || file.remove())
        return true;
    if (why)
        *why = file.errorString();
    return false;
}
