// A chart of labelled values: a pie with a legend, or a histogram of picture
// bars over an optional shadow, with labels under the bars.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <array>
#include <span>
#include <vector>

// Degrees of each pie slice: value / total of 360. Values below 0 count as 0;
// all slices are 0 when nothing is positive.
std::vector<double> PieSliceSweeps(std::span<const double> values);
// Bar heights: value / largest value of maxHeight, 0 for values at or below 0 and
// for all when nothing is positive.
std::vector<int> HistogramBarHeights(std::span<const double> values, int maxHeight);

// The labels use the widget's font, which a layout sets with its "font" property.
class CChartViewUI : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
    Q_PROPERTY(QString view READ GetView WRITE SetView)
    Q_PROPERTY(QString shadowimage READ GetShadowImage WRITE SetShadowImage)
    Q_PROPERTY(int shadowimageheight READ GetShadowImageHeight WRITE SetShadowImageHeight)
    Q_PROPERTY(QString pillarimage READ GetPillarImage WRITE SetPillarImage)
    Q_PROPERTY(int pillarimagewidth READ GetPillarImageWidth WRITE SetPillarImageWidth)
    Q_PROPERTY(bool showhtml READ IsShowHtml WRITE SetShowHtml)
    Q_PROPERTY(bool showtext READ IsShowText WRITE SetShowText)
public:
    static constexpr const char* kClassText = "ChartView";
    static constexpr const char* kRegisteredName = "CChartViewUI";
    enum class View { Pie, Histogram };
    static constexpr int kLegendSquare = 18;
    static constexpr int kLegendGap = 4;
    static const std::array<QColor, 18> kSliceColors;

    struct Item {
        QString label;
        double value = 0.0;
    };

    explicit CChartViewUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassText); }

    // "pie" or "histpgram" (also read as "histogram"); anything else keeps the view.
    QString GetView() const;
    void SetView(const QString& view);
    View GetViewKind() const { return m_view; }

    QString GetShadowImage() const { return m_shadowImage; }
    void SetShadowImage(const QString& image);
    int GetShadowImageHeight() const { return m_shadowImageHeight; }
    void SetShadowImageHeight(int height);
    QString GetPillarImage() const { return m_pillarImage; }
    void SetPillarImage(const QString& image);
    int GetPillarImageWidth() const { return m_pillarImageWidth; }
    void SetPillarImageWidth(int width);
    bool IsShowHtml() const { return m_showHtml; }
    void SetShowHtml(bool html);
    bool IsShowText() const { return m_showText; }
    void SetShowText(bool show);

    void Add(const QString& label, double value);
    void RemoveAll();
    const std::vector<Item>& Items() const { return m_items; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<double> Values() const;
    void PaintPie(QPainter& painter) const;
    void PaintHistogram(QPainter& painter) const;
    void PaintLabel(QPainter& painter, const QRect& box, const QString& label,
                    Qt::Alignment alignment) const;

    View m_view = View::Pie;
    QString m_shadowImage;
    int m_shadowImageHeight = 0;
    QString m_pillarImage;
    int m_pillarImageWidth = 16;
    bool m_showHtml = false;
    bool m_showText = false;
    std::vector<Item> m_items;
};
