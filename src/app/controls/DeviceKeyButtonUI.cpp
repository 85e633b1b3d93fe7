#include "DeviceKeyButtonUI.h"

#include "ControlEvents.h"
#include "SkinImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {

const QColor kSelectionFrame(0x22, 0xe0, 0xc4);
const QColor kKeySetMarker(0xf5, 0xa6, 0x23);

} // namespace

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : QPushButton(parent) {
    TakeOwnPointerEvents(this);
}

void CDeviceKeyButtonUI::SetLightImage(const QString& image) {
    m_lightImage = image;
    update();
}

void CDeviceKeyButtonUI::SetKeySetImage(const QString& image) {
    m_keySetImage = image;
    update();
}

void CDeviceKeyButtonUI::ShowLightOverlay(bool show) {
    m_showLight = show;
    update();
}

void CDeviceKeyButtonUI::ShowKeySetMarker(bool show) {
    m_keySetHidden = !show;
    update();
}

void CDeviceKeyButtonUI::SetSelected(bool selected) {
    if (m_selected != selected) {
        m_selected = selected;
        update();
    }
}

void CDeviceKeyButtonUI::SetLedColorWord(uint word) {
    m_ledColor = word & 0xFFFFFFu;
    update();
}

void CDeviceKeyButtonUI::SetLedBrightness(int brightness) {
    m_ledBrightness = std::clamp(brightness, 0, 255);
    update();
}

void CDeviceKeyButtonUI::SetLedLit(bool lit) {
    m_ledLit = lit;
    update();
}

QColor CDeviceKeyButtonUI::ShownLedColor() const {
    if (!m_ledLit) {
        return QColor(0, 0, 0, 0);
    }
    const auto scaled = [this](uint byte) {
        return static_cast<int>(byte) * m_ledBrightness / 255;
    };
    return QColor(scaled(m_ledColor & 0xFF), scaled((m_ledColor >> 16) & 0xFF),
                  scaled((m_ledColor >> 8) & 0xFF));
}

void CDeviceKeyButtonUI::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_showLight) {
        PaintLightOverlay(painter);
    }
    if (!m_keySetHidden) {
        PaintKeySetMarker(painter);
    }
    if (m_selected) {
        painter.setPen(QPen(kSelectionFrame, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    }
}

void CDeviceKeyButtonUI::PaintLightOverlay(QPainter& painter) const {
    const QColor led = ShownLedColor();
    if (led.alpha() == 0) {
        return;
    }
    const QPixmap light = LoadSkinPixmap(CImageText::Parse(m_lightImage).file);
    QColor wash = led;
    wash.setAlpha(kLightColorAlpha);
    if (!light.isNull()) {
        // The light image gives the shape of the glow; the LED gives its colour.
        QPixmap tinted(size() * devicePixelRatioF());
        tinted.setDevicePixelRatio(devicePixelRatioF());
        tinted.fill(Qt::transparent);
        QPainter tint(&tinted);
        tint.setOpacity(kLightImageFade / 255.0);
        tint.drawPixmap(rect(), light);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(rect(), wash);
        tint.end();
        painter.drawPixmap(0, 0, tinted);
        return;
    }
    // Without a light image the LED shows as a glowing rim and a faint fill.
    QColor fill = led;
    fill.setAlpha(kLightColorAlpha / 4);
    painter.setBrush(fill);
    painter.setPen(QPen(wash, 2));
    painter.drawRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), 4, 4);
}

void CDeviceKeyButtonUI::PaintKeySetMarker(QPainter& painter) const {
    if (DrawImageText(painter, rect(), m_keySetImage)) {
        return;
    }
    const int diameter = std::max(4, std::min(width(), height()) / 6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kKeySetMarker);
    painter.drawEllipse(QRect(width() - diameter - 3, 3, diameter, diameter));
}

void CDeviceKeyButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (isEnabled() && rect().contains(event->position().toPoint())) {
        RaiseControlEvent(this, DuiEvent::DoubleClick);
    }
    QPushButton::mouseDoubleClickEvent(event);
}

void CDeviceKeyButtonUI::enterEvent(QEnterEvent* event) {
    RaiseControlEvent(this, DuiEvent::MouseEnter);
    QPushButton::enterEvent(event);
}

void CDeviceKeyButtonUI::leaveEvent(QEvent* event) {
    RaiseControlEvent(this, DuiEvent::MouseLeave);
    QPushButton::leaveEvent(event);
}
