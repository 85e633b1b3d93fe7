// The program's object on the D-Bus session bus: other programs (and a second
// start of this one) reach the running instance through its methods.
#pragma once

#include <QObject>
#include <QtDBus/qtdbusglobal.h>

inline constexpr const char* kDBusServiceName = "com.vornapad.QMT58ControlCenter";
inline constexpr const char* kDBusObjectPath = "/com/vornapad/QMT58ControlCenter";
inline constexpr const char* kDBusInterfaceName = "com.vornapad.QMT58ControlCenter";

class CAppDBusService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.vornapad.QMT58ControlCenter")
public:
    explicit CAppDBusService(QObject* parent = nullptr) : QObject(parent) {}

public slots:
    // Asks the running instance to restore and raise its window.
    Q_NOREPLY void Activate() { emit activateRequested(); }

signals:
    void activateRequested();
};
