#include "ChartViewUI.h"

#include "ControlColors.h"
#include "SkinImage.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QStyleOption>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

const std::array<QColor, 18> CChartViewUI::kSliceColors = {
    QColor(0x22, 0xe0, 0xc4), QColor(0x3b, 0x82, 0xf6), QColor(0xf5, 0xa6, 0x23),
    QColor(0xd6, 0x40, 0x4e), QColor(0x8b, 0x5c, 0xf6), QColor(0x10, 0xb9, 0x81),
    QColor(0xec, 0x48, 0x99), QColor(0xfa, 0xcc, 0x15), QColor(0x06, 0xb6, 0xd4),
    QColor(0xf9, 0x73, 0x16), QColor(0x84, 0xcc, 0x16), QColor(0x63, 0x66, 0xf1),
    QColor(0xe1, 0x1d, 0x48), QColor(0x14, 0xb8, 0xa6), QColor(0xa8, 0x55, 0xf7),
    QColor(0xea, 0xb3, 0x08), QColor(0x0e, 0xa5, 0xe9), QColor(0x94, 0xa3, 0xb8),
};

std::vector<double> PieSliceSweeps(std::span<const double> values) {
    double total = 0.0;
    for (const double v : values) {
        if (v > 0.0 && std::isfinite(v)) {
            total += v;
        }
    }
    std::vector<double> sweeps;
    sweeps.reserve(values.size());
    for (const double v : values) {
        const bool counts = total > 0.0 && v > 0.0 && std::isfinite(v) && std::isfinite(total);
        sweeps.push_back(counts ? v / total * 360.0 : 0.0);
    }
    return sweeps;
}

std::vector<int> HistogramBarHeights(std::span<const double> values, int maxHeight) {
    double largest = 0.0;
    for (const double v : values) {
        if (std::isfinite(v)) {
            largest = std::max(largest, v);
        }
    }
    std::vector<int> heights;
    heights.reserve(values.size());
    for (const double v : values) {
        const bool counts = largest > 0.0 && v > 0.0 && std::isfinite(v) && maxHeight > 0;
        heights.push_back(counts ? static_cast<int>(std::lround(v / largest * maxHeight)) : 0);
    }
    return heights;
}

CChartViewUI::CChartViewUI(QWidget* parent) : QWidget(parent) {
    setProperty("paintsOwnBackground", true);
}

QString CChartViewUI::GetView() const {
    return m_view == View::Pie ? QStringLiteral("pie") : QStringLiteral("histpgram");
}

void CChartViewUI::SetView(const QString& view) {
    const QString name = view.trimmed().toLower();
    if (name == QLatin1String("pie")) {
        m_view = View::Pie;
    } else if (name == QLatin1String("histpgram") || name == QLatin1String("histogram")) {
        m_view = View::Histogram;
    } else {
        qWarning("Unknown chart view \"%s\" on %s", qPrintable(view), qPrintable(objectName()));
        return;
    }
    update();
}

void CChartViewUI::SetShadowImage(const QString& image) {
    m_shadowImage = image;
    update();
}

void CChartViewUI::SetShadowImageHeight(int height) {
    m_shadowImageHeight = std::max(height, 0);
    update();
}

void CChartViewUI::SetPillarImage(const QString& image) {
    m_pillarImage = image;
    update();
}

void CChartViewUI::SetPillarImageWidth(int width) {
    m_pillarImageWidth = std::max(width, 1);
    update();
}

void CChartViewUI::SetShowHtml(bool html) {
    m_showHtml = html;
    update();
}

void CChartViewUI::SetShowText(bool show) {
    m_showText = show;
    update();
}

void CChartViewUI::Add(const QString& label, double value) {
    m_items.push_back({label, value});
    update();
}

void CChartViewUI::RemoveAll() {
    m_items.clear();
    update();
}

std::vector<double> CChartViewUI::Values() const {
    std::vector<double> values;
    values.reserve(m_items.size());
    for (const Item& item : m_items) {
        values.push_back(item.value);
    }
    return values;
}

void CChartViewUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor background = ControlColor(this, "bkcolor", QColor(0, 0, 0, 0));
    if (background.alpha() > 0) {
        painter.fillRect(rect(), background);
    }
    painter.setFont(font());
    if (m_view == View::Pie) {
        PaintPie(painter);
    } else {
        PaintHistogram(painter);
    }
}

void CChartViewUI::PaintLabel(QPainter& painter, const QRect& box, const QString& label,
                              Qt::Alignment alignment) const {
    if (!m_showHtml) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(box, static_cast<int>(alignment) | Qt::TextSingleLine, label);
        return;
    }
    QTextDocument document;
    document.setDefaultFont(font());
    document.setHtml(label);
    document.setTextWidth(box.width());
    painter.save();
    const qreal top = box.top() + (box.height() - document.size().height()) / 2;
    painter.translate(box.left(), top);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, palette().color(QPalette::WindowText));
    context.clip = QRectF(0, 0, box.width(), box.height());
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

void CChartViewUI::PaintPie(QPainter& painter) const {
    const std::vector<double> sweeps = PieSliceSweeps(Values());
    const int legendWidth = m_showText ? std::min(width() / 2, 140) : 0;
    const int margin = 8;
    const int side = std::min(width() - legendWidth, height()) - 2 * margin;
    if (side <= 0) {
        return;
    }
    const QRectF pie(margin, (height() - side) / 2.0, side, side);
    // Two grey shadow rings around the pie.
    painter.setBrush(Qt::NoBrush);
    for (int ring = 0; ring < 2; ++ring) {
        QColor shadow = ThemeColor::Shadow;
        shadow.setAlpha(ring == 0 ? 90 : 45);
        painter.setPen(QPen(shadow, 3));
        const qreal grow = 2.0 + ring * 3.0;
        painter.drawEllipse(pie.adjusted(-grow, -grow, grow, grow));
    }
    painter.setPen(Qt::NoPen);
    double start = 90.0;
    for (std::size_t i = 0; i < sweeps.size(); ++i) {
        painter.setBrush(kSliceColors[i % kSliceColors.size()]);
        const int span = static_cast<int>(std::lround(sweeps[i] * 16));
        if (span > 0) {
            painter.drawPie(pie, static_cast<int>(std::lround(start * 16)), -span);
        }
        start -= sweeps[i];
    }
    if (!m_showText) {
        return;
    }
    const int left = static_cast<int>(pie.right()) + 2 * margin;
    const int rowHeight = kLegendSquare + kLegendGap;
    const int top = (height() - static_cast<int>(m_items.size()) * rowHeight + kLegendGap) / 2;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const int y = std::max(top, 0) + static_cast<int>(i) * rowHeight;
        painter.setPen(Qt::NoPen);
        painter.setBrush(kSliceColors[i % kSliceColors.size()]);
        painter.drawRect(left, y, kLegendSquare, kLegendSquare);
        const QRect textBox(left + kLegendSquare + kLegendGap, y,
                            width() - left - kLegendSquare - kLegendGap, kLegendSquare);
        PaintLabel(painter, textBox, m_items[i].label, Qt::AlignLeft | Qt::AlignVCenter);
    }
}

void CChartViewUI::PaintHistogram(QPainter& painter) const {
    if (m_items.empty()) {
        return;
    }
    const int labelHeight = m_showText ? painter.fontMetrics().height() + 4 : 0;
    const int baseline = height() - labelHeight;
    const int topMargin = 4;
    if (!m_shadowImage.isEmpty() && m_shadowImageHeight > 0) {
        DrawImageText(painter,
                      QRect(0, baseline - m_shadowImageHeight, width(), m_shadowImageHeight),
                      m_shadowImage);
    }
    const std::vector<int> heights = HistogramBarHeights(Values(), baseline - topMargin);
    const int slot = width() / static_cast<int>(m_items.size());
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const int centre = static_cast<int>(i) * slot + slot / 2;
        const QRect bar(centre - m_pillarImageWidth / 2, baseline - heights[i], m_pillarImageWidth,
                        heights[i]);
        if (!bar.isEmpty() && !DrawImageText(painter, bar, m_pillarImage)) {
            painter.fillRect(bar, kSliceColors[i % kSliceColors.size()]);
        }
        if (m_showText) {
            PaintLabel(painter, QRect(static_cast<int>(i) * slot, baseline, slot, labelHeight),
                       m_items[i].label, Qt::AlignHCenter | Qt::AlignVCenter);
        }
    }
}
