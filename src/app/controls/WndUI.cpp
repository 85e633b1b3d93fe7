#include "WndUI.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOption>

CWndUI::CWndUI(QWidget* parent) : QWidget(parent) {}

void CWndUI::paintEvent(QPaintEvent*) {
    // The skin's style sheet may give the place a background while nothing is hosted.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

void CWndUI::Attach(QWidget* window) {
    m_hosted = window;
    SyncHostedWindow();
}

void CWndUI::SyncHostedWindow() {
    if (!m_hosted) {
        return;
    }
    // A window of its own sits in screen coordinates and must follow when our
    // window moves; a child sits in its parent's coordinates.
    QWidget* ownWindow = window();
    if (m_hosted->isWindow() && m_watchedWindow != ownWindow) {
        if (m_watchedWindow) {
            m_watchedWindow->removeEventFilter(this);
        }
        m_watchedWindow = ownWindow;
        ownWindow->installEventFilter(this);
    }
    const QPoint topLeft = m_hosted->isWindow() || !m_hosted->parentWidget()
                               ? mapToGlobal(QPoint(0, 0))
                               : m_hosted->parentWidget()->mapFromGlobal(mapToGlobal(QPoint(0, 0)));
    m_hosted->setGeometry(QRect(topLeft, size()));
    m_hosted->setVisible(isVisible());
}

void CWndUI::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    SyncHostedWindow();
}

void CWndUI::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SyncHostedWindow();
}

void CWndUI::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    SyncHostedWindow();
}

void CWndUI::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_hosted) {
        m_hosted->hide();
    }
}

bool CWndUI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedWindow && event->type() == QEvent::Move) {
        SyncHostedWindow();
    }
    return QWidget::eventFilter(watched, event);
}
