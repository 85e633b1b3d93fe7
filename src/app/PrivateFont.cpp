#include "PrivateFont.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>

namespace {
constexpr qint64 kMaxFontBytes = 64 << 20;
}

CPrivateFont::CPrivateFont(QString folder) : m_folder(std::move(folder)) {}

CPrivateFont::~CPrivateFont() {
    Release();
}

bool CPrivateFont::LoadFromFile(const QString& relativeName) {
    Release();
    QString relative = relativeName;
    relative.replace('\\', '/');
    const QFileInfo info(m_folder + relative);
    if (!info.isFile() || info.size() > kMaxFontBytes) {
        return false;
    }
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    m_fontId = QFontDatabase::addApplicationFontFromData(file.readAll());
    return m_fontId >= 0;
}

void CPrivateFont::Release() {
    if (m_fontId >= 0) {
        QFontDatabase::removeApplicationFont(m_fontId);
        m_fontId = -1;
    }
}
