// The colour palette control: a field of hues (left to right) and of lightness (top to bottom)
// from which a press or a drag picks the selected colour, raising "colorchanged" each time.
#pragma once

#include <QWidget>
#include <cstdint>

namespace vpc::panels {

class CColorPaletteUI : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
    Q_PROPERTY(uint selectColor READ GetSelectColor WRITE SetSelectColor)
public:
    static constexpr const char* kClassText = "ColorPalette";
    static constexpr const char* kRegisteredName = "ColorPalette";

    explicit CColorPaletteUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassText); }
    // 0xAARRGGBB; setting it raises nothing.
    uint GetSelectColor() const { return m_color; }
    void SetSelectColor(uint argb);

    // The colour at a point of the field (points outside are held to its edge).
    std::uint32_t ColorAt(QPoint point) const;
    // Where a colour lies in the field (its hue and lightness).
    QPoint PointOf(std::uint32_t argb) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QSize sizeHint() const override { return {360, 150}; }

private:
    void PickAt(QPoint point);

    uint m_color = 0xFFFF0000u;
    QPoint m_marker;
    bool m_dragging = false;
};

} // namespace vpc::panels
