#include "SelectPanelUI.h"

#include "ControlEvents.h"
#include "DeviceKeyButtonUI.h"
#include "KeyLightSurface.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QStyleOption>
#include <algorithm>

QRect NormalisedSelection(const QPoint& start, const QPoint& pointer) {
    return QRect(QPoint(std::min(start.x(), pointer.x()), std::min(start.y(), pointer.y())),
                 QPoint(std::max(start.x(), pointer.x()), std::max(start.y(), pointer.y())));
}

bool SelectionTouches(const QRect& selection, const QRect& key) {
    return selection.intersects(key);
}

CSelectPanelUI::CSelectPanelUI(QWidget* parent) : QWidget(parent) {
    new CKeyLightSurface(this); // owned by this panel; paints its keys while lights change
}

void CSelectPanelUI::paintEvent(QPaintEvent*) {
    // The skin's style sheet gives the panel its background.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

void CSelectPanelUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_armed = true;
    m_dragging = false;
    m_start = event->position().toPoint();
    event->accept();
}

void CSelectPanelUI::mouseMoveEvent(QMouseEvent* event) {
    if (!m_armed || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    m_dragging = true;
    m_selection = NormalisedSelection(m_start, event->position().toPoint());
    if (!m_band) {
        m_band = new QRubberBand(QRubberBand::Rectangle, this); // owned by this panel
    }
    m_band->setGeometry(m_selection);
    m_band->raise();
    m_band->show();
    event->accept();
}

void CSelectPanelUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_armed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const bool dragged = m_dragging;
    m_armed = false;
    m_dragging = false;
    if (m_band) {
        m_band->hide();
    }
    if (dragged) {
        m_selection = NormalisedSelection(m_start, event->position().toPoint());
        ApplySelection();
        RaiseControlEvent(this, DuiEvent::ClickSelectEnd);
    }
    event->accept();
}

void CSelectPanelUI::ApplySelection() {
    for (QObject* child : children()) {
        if (auto* key = qobject_cast<CDeviceKeyButtonUI*>(child)) {
            key->SetSelected(SelectionTouches(m_selection, key->geometry()));
        }
    }
}
