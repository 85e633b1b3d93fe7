#include "HandImgButtonUI.h"

#include "ControlEvents.h"
#include "PaintManagerUI.h"
#include "SkinImage.h"

#include <QMouseEvent>
#include <QPainter>

QRect HandDeleteZone(const QSize& buttonSize, int dpi) {
    const auto scaled = [dpi](int value) { return value * dpi / 96; };
    return QRect(buttonSize.width() - scaled(30), buttonSize.height() - scaled(29), scaled(20),
                 scaled(20));
}

CHandImgButtonUI::CHandImgButtonUI(QWidget* parent) : QPushButton(parent) {
    setMouseTracking(true);
    TakeOwnPointerEvents(this);
}

void CHandImgButtonUI::SetHandImage(const QString& image) {
    m_handImage = image;
    update();
}

void CHandImgButtonUI::SetDeleteNormalImage(const QString& image) {
    m_deleteNormalImage = image;
    update();
}

void CHandImgButtonUI::SetDeleteHotImage(const QString& image) {
    m_deleteHotImage = image;
    update();
}

void CHandImgButtonUI::SetDeleteEnabled(bool enabled) {
    m_deleteEnabled = enabled;
    update();
}

QRect CHandImgButtonUI::DeleteZone() const {
    const CPaintManagerUI* manager = CPaintManagerUI::FromControl(this);
    return HandDeleteZone(size(), manager ? manager->GetDPI() : 96);
}

void CHandImgButtonUI::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawImageText(painter, rect(), m_handImage);
    if (m_hovered && m_deleteEnabled) {
        PaintDeleteZone(painter);
    }
}

void CHandImgButtonUI::PaintDeleteZone(QPainter& painter) const {
    const QRect zone = DeleteZone();
    if (DrawImageText(painter, zone, m_pointerInZone ? m_deleteHotImage : m_deleteNormalImage)) {
        return;
    }
    // A drawn cross in a disc where the skin gives no pictures.
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_pointerInZone ? QColor(0xd6, 0x40, 0x4e) : QColor(0x2f, 0x34, 0x40));
    painter.drawEllipse(zone);
    painter.setPen(QPen(QColor(0xee, 0xf1, 0xf6), 1.5));
    const QRectF cross = QRectF(zone).adjusted(zone.width() * 0.3, zone.height() * 0.3,
                                               -zone.width() * 0.3, -zone.height() * 0.3);
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.topRight(), cross.bottomLeft());
}

void CHandImgButtonUI::mouseMoveEvent(QMouseEvent* event) {
    const bool inZone = DeleteZone().contains(event->position().toPoint());
    if (inZone != m_pointerInZone) {
        m_pointerInZone = inZone;
        update();
    }
    QPushButton::mouseMoveEvent(event);
}

void CHandImgButtonUI::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton && isDown() && m_deleteEnabled &&
        DeleteZone().contains(point)) {
        // Released on the delete zone: no click, the delete request instead.
        setDown(false);
        QPushButton::mouseReleaseEvent(event);
        RaiseControlEvent(this, DuiEvent::ClickHandDelete);
        event->accept();
        return;
    }
    QPushButton::mouseReleaseEvent(event);
}

void CHandImgButtonUI::enterEvent(QEnterEvent* event) {
    m_hovered = true;
    m_pointerInZone = DeleteZone().contains(event->position().toPoint());
    update();
    RaiseControlEvent(this, DuiEvent::MouseEnter);
    QPushButton::enterEvent(event);
}

void CHandImgButtonUI::leaveEvent(QEvent* event) {
    m_hovered = false;
    m_pointerInZone = false;
    update();
    RaiseControlEvent(this, DuiEvent::MouseLeave);
    QPushButton::leaveEvent(event);
}
