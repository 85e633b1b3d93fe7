#include "AppDBusService.h"

#include "AppLog.h"

void CAppDBusService::RequestGameLighting(GameEvent event, int kind, int mode) {
    qCInfo(lcApp, "Game message %d: kind %d, mode %d", static_cast<int>(event), kind, mode);
    emit gameLightingRequested(kind, mode);
}

void CAppDBusService::RequestLightControl(int request, int enable) {
    emit lightControlRequested(request, enable);
}

QByteArray CAppDBusService::QueryWorkTool() {
    const QByteArray block = m_workToolAnswer ? m_workToolAnswer() : QByteArray();
    emit WorkToolAnswer(block);
    return block;
}
