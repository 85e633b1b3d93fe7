#include "CircleProgressUI.h"

#include "ControlColors.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

double CircleSweepDegrees(int value, int minimum, int maximum) {
    if (maximum <= minimum) {
        return 0.0;
    }
    const double fraction =
        (static_cast<double>(value) - minimum) / (static_cast<double>(maximum) - minimum);
    return std::clamp(fraction, 0.0, 1.0) * 360.0;
}

CCircleProgressUI::CCircleProgressUI(QWidget* parent) : QProgressBar(parent) {
    setProperty("paintsOwnBackground", true);
    setTextVisible(false);
}

void CCircleProgressUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF disc = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setBrush(ControlColor(this, "bkcolor", ThemeColor::Surface));
    painter.drawEllipse(disc);
    const double sweep = SweepDegrees();
    if (sweep > 0.0) {
        // Qt counts angles anticlockwise from three o'clock in 1/16 degrees; the
        // ring starts at the bottom and fills clockwise.
        painter.setBrush(ControlColor(this, "forecolor", ThemeColor::Accent));
        painter.drawPie(disc, -kStartDegrees * 16, -static_cast<int>(std::lround(sweep * 16)));
    }
    painter.setBrush(ControlColor(this, "innercolor", Qt::white));
    painter.drawEllipse(disc.adjusted(kRingWidth, kRingWidth, -kRingWidth, -kRingWidth));
}
