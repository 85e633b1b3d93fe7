#include "SingleInstance.h"

#include "AppDBusService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QStandardPaths>

CSingleInstance::CSingleInstance() = default;

CSingleInstance::~CSingleInstance() {
    Release();
}

CSingleInstance::Outcome CSingleInstance::Acquire() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qInfo("No session bus: using a lock file for the single instance");
        return AcquireLockFile();
    }
    m_service = std::make_unique<CAppDBusService>();
    // The object exists before the name, so an Activate never finds it missing.
    if (!bus.registerObject(kDBusObjectPath, m_service.get(),
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals)) {
        qWarning("Cannot register the program's bus object: %s",
                 qPrintable(bus.lastError().message()));
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus.interface()->registerService(kDBusServiceName,
                                         QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_ownsName = true;
        return Outcome::FirstInstance;
    }
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceNotRegistered) {
        bus.unregisterObject(kDBusObjectPath);
        m_service.reset();
        const QDBusMessage activate = QDBusMessage::createMethodCall(
            kDBusServiceName, kDBusObjectPath, kDBusInterfaceName, "Activate");
        bus.send(activate);
        // Make sure the message has left before this process ends; the first
        // instance answers nothing, so this never waits on it.
        bus.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                "org.freedesktop.DBus.Peer", "Ping"),
                 QDBus::Block, 2000);
        return Outcome::AlreadyRunning;
    }
    qWarning("Cannot claim the program's bus name: %s", qPrintable(reply.error().message()));
    return AcquireLockFile();
}

CSingleInstance::Outcome CSingleInstance::AcquireLockFile() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    m_lockFile = std::make_unique<QLockFile>(folder + "/vorna-control-center.lock");
    m_lockFile->setStaleLockTime(0);
    if (m_lockFile->tryLock(0)) {
        return Outcome::FirstInstance;
    }
    if (m_lockFile->error() == QLockFile::LockFailedError) {
        return Outcome::AlreadyRunning;
    }
    // The lock cannot be made at all: run as the first instance.
    m_lockFile.reset();
    return Outcome::FirstInstance;
}

void CSingleInstance::Release() {
    if (m_ownsName) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(kDBusObjectPath);
        bus.unregisterService(kDBusServiceName);
        m_ownsName = false;
    }
    m_service.reset();
    m_lockFile.reset();
}
