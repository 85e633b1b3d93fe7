#include "TrayIcon.h"

CTrayIcon::CTrayIcon(QObject* parent) : QObject(parent) {}

CTrayIcon::~CTrayIcon() = default;

bool CTrayIcon::IsTrayAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool CTrayIcon::Show(const QIcon& icon, const QString& toolTip) {
    if (!IsTrayAvailable()) {
        return false;
    }
    if (!m_icon) {
        m_icon = std::make_unique<QSystemTrayIcon>();
        connect(m_icon.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) {
                        emit leftClicked();
                    } else if (reason == QSystemTrayIcon::Context) {
                        emit rightClicked();
                    }
                });
    }
    m_icon->setIcon(icon);
    m_icon->setToolTip(toolTip);
    m_icon->show();
    return true;
}

void CTrayIcon::Hide() {
    if (m_icon) {
        m_icon->hide();
    }
}

bool CTrayIcon::IsShown() const {
    return m_icon && m_icon->isVisible();
}

void CTrayIcon::ShowNote(const QString& title, const QString& text) {
    if (IsShown())
        m_icon->showMessage(title, text, QSystemTrayIcon::Warning, 8000);
}
