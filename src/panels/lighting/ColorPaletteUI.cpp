#include "ColorPaletteUI.h"

#include "PaintManagerUI.h"
#include "SilentScope.h"
#include "UiTypes.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace vpc::panels {

namespace {

// Lightness runs from 1 (white) at the top through 0.5 (the pure hue) to 0 (black) at the bottom.
double LightnessAt(int y, int height) {
    return height <= 1 ? 0.5 : 1.0 - static_cast<double>(y) / (height - 1);
}

} // namespace

CColorPaletteUI::CColorPaletteUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassText));
    setMinimumSize(120, 60);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::ClickFocus);
}

void CColorPaletteUI::SetSelectColor(uint argb) {
    m_color = argb;
    m_marker = PointOf(argb);
    update();
}

std::uint32_t CColorPaletteUI::ColorAt(QPoint point) const {
    const int x = std::clamp(point.x(), 0, std::max(0, width() - 1));
    const int y = std::clamp(point.y(), 0, std::max(0, height() - 1));
    const double hue = width() <= 1 ? 0.0 : static_cast<double>(x) / width();
    const QColor c = QColor::fromHslF(static_cast<float>(std::clamp(hue, 0.0, 0.9999)), 1.0f,
                                      static_cast<float>(LightnessAt(y, height())));
    return 0xFF000000u | (static_cast<std::uint32_t>(c.red()) << 16) |
           (static_cast<std::uint32_t>(c.green()) << 8) | static_cast<std::uint32_t>(c.blue());
}

QPoint CColorPaletteUI::PointOf(std::uint32_t argb) const {
    const QColor c = QColor::fromRgb((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
    const double hue = std::max(0.0f, c.hslHueF());
    const double lightness = c.lightnessF();
    return {static_cast<int>(hue * width()),
            static_cast<int>((1.0 - lightness) * std::max(0, height() - 1))};
}

void CColorPaletteUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient hues(0, 0, width(), 0);
    for (int i = 0; i <= 6; ++i)
        hues.setColorAt(i / 6.0, QColor::fromHslF(std::min(i / 6.0f, 0.9999f), 1.0f, 0.5f));
    painter.fillRect(rect(), hues);
    QLinearGradient light(0, 0, 0, height());
    light.setColorAt(0.0, QColor(255, 255, 255, 255));
    light.setColorAt(0.5, QColor(255, 255, 255, 0));
    light.setColorAt(0.5, QColor(0, 0, 0, 0));
    light.setColorAt(1.0, QColor(0, 0, 0, 255));
    painter.fillRect(rect(), light);
    if (!isEnabled()) { // the mode has no colour: the field is shown dimmed
        painter.fillRect(rect(), QColor(21, 23, 28, 190));
        return;
    }
    m_marker = PointOf(m_color);
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(m_marker, 6, 6);
    painter.setPen(QPen(QColor(0, 0, 0, 160), 1));
    painter.drawEllipse(m_marker, 8, 8);
}

void CColorPaletteUI::PickAt(QPoint point) {
    m_color = ColorAt(point);
    update();
    if (SilentScope::Active())
        return;
    if (CPaintManagerUI* manager = CPaintManagerUI::FromControl(this))
        manager->SendNotify(this, QString::fromLatin1(DuiEvent::ColorChanged));
}

void CColorPaletteUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    PickAt(event->position().toPoint());
    event->accept();
}

void CColorPaletteUI::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    PickAt(event->position().toPoint());
    event->accept();
}

void CColorPaletteUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

} // namespace vpc::panels
