#include "LightWriteThrottle.h"

#include <QCoreApplication>

namespace vpc::panels {

CLightWriteThrottle::CLightWriteThrottle(std::function<void()> commit, QObject* parent)
    : QObject(parent), m_commit(std::move(commit)) {
    m_window.setSingleShot(true);
    m_window.setTimerType(Qt::PreciseTimer);
    connect(&m_window, &QTimer::timeout, this, [this] {
        if (m_pending)
            Commit();
    });
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &CLightWriteThrottle::Flush);
}

CLightWriteThrottle::~CLightWriteThrottle() = default;

void CLightWriteThrottle::Request() {
    if (m_window.isActive()) {
        m_pending = true;
        return;
    }
    Commit();
}

void CLightWriteThrottle::Flush() {
    if (!m_pending)
        return;
    m_window.stop();
    Commit();
}

void CLightWriteThrottle::Commit() {
    m_pending = false;
    ++m_commits;
    if (m_commit)
        m_commit();
    m_window.start(kWindowMs); // the next window starts after the write
}

} // namespace vpc::panels
