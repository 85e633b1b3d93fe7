#include "AppDBusService.h"

#include "AppLog.h"
#include "RemoteControl.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace {
constexpr int kLastGameKind = 2;
constexpr int kLastLightingMode = 255;
} // namespace

bool CAppDBusService::Refuse(const QString& message) {
    qCInfo(lcApp, "D-Bus request refused: %s", qPrintable(message));
    if (calledFromDBus())
        sendErrorReply(QString::fromLatin1(kDBusInterfaceName) + ".Error.OutOfRange", message);
    return false;
}

void CAppDBusService::RequestGameLighting(GameEvent event, int kind, int mode) {
    if (kind < 0 || kind > kLastGameKind) {
        Refuse(QStringLiteral("game kind %1 is not 0, 1 or 2").arg(kind));
        return;
    }
    if (mode < 0 || mode > kLastLightingMode) {
        Refuse(QStringLiteral("lighting mode %1 is not from 0 to 255").arg(mode));
        return;
    }
    qCInfo(lcApp, "Game message %d: kind %d, mode %d", static_cast<int>(event), kind, mode);
    emit gameLightingRequested(kind, mode);
}

void CAppDBusService::RequestLightControl(int request, int enable) {
    if (request != 1 || (enable != 0 && enable != 1)) {
        Refuse(QStringLiteral("light control takes request 1 and enable 0 or 1, not %1 and %2")
                   .arg(request)
                   .arg(enable));
        return;
    }
    emit lightControlRequested(request, enable);
}

QByteArray CAppDBusService::QueryWorkTool() {
    const QByteArray block = m_workToolAnswer ? m_workToolAnswer() : QByteArray();
    emit WorkToolAnswer(block);
    return block;
}

bool CAppDBusService::Ready() {
    if (m_remote)
        return true;
    if (calledFromDBus())
        sendErrorReply(QString::fromLatin1(kDBusInterfaceName) + ".Error.NotReady",
                       QStringLiteral("the program is still starting"));
    return false;
}

QString CAppDBusService::Answer(const RemoteResult& result) {
    if (!result.Ok()) {
        qCInfo(lcApp, "D-Bus request refused: %s", qPrintable(result.message));
        if (calledFromDBus())
            sendErrorReply(result.ErrorName(), result.message);
        return {};
    }
    return result.json;
}

QString CAppDBusService::ListDevices() {
    return Ready() ? Answer(m_remote->ListDevices()) : QString();
}

QString CAppDBusService::GetLighting(const QString& device) {
    return Ready() ? Answer(m_remote->GetLighting(device)) : QString();
}

QString CAppDBusService::SetLighting(const QString& device, const QString& property,
                                     const QString& value) {
    return Ready() ? Answer(m_remote->SetLighting(device, property, value)) : QString();
}

QString CAppDBusService::ListProfiles(const QString& device) {
    return Ready() ? Answer(m_remote->ListProfiles(device)) : QString();
}

QString CAppDBusService::SwitchProfile(const QString& device, const QString& profile) {
    return Ready() ? Answer(m_remote->SwitchProfile(device, profile)) : QString();
}

void CAppDBusService::ExportProfile(const QString& device, const QString& profile,
                                    const QString& file) {
    if (Ready())
        Answer(m_remote->ExportProfile(device, profile, file));
}

QString CAppDBusService::ImportProfile(const QString& device, const QString& file) {
    return Ready() ? Answer(m_remote->ImportProfile(device, file)) : QString();
}
