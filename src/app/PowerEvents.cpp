#include "PowerEvents.h"

#include "AppLog.h"

#include <QtDBus/QDBusConnection>

CPowerEvents::CPowerEvents(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qCInfo(lcApp, "No system bus: suspend and resume are not followed");
        return;
    }
    m_listening = bus.connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
        SLOT(OnPrepareForSleep(bool)));
}

void CPowerEvents::OnPrepareForSleep(bool start) {
    if (start) {
        emit suspending();
    } else {
        emit resumed();
    }
}
