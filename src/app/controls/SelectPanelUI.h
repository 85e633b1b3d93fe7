// The area that holds the keys of a device picture: dragging over it selects the
// keys that the rubber band touches and tells the window with "click_select_end".
#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

class QRubberBand;

// The rectangle between the start point and the pointer, both corners included,
// left and top being the smaller coordinates.
QRect NormalisedSelection(const QPoint& start, const QPoint& pointer);
// Whether a key is selected by the rectangle: one shared unit is enough.
bool SelectionTouches(const QRect& selection, const QRect& key);

class CSelectPanelUI : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
public:
    static constexpr const char* kClassText = "SelectPanel";
    static constexpr const char* kRegisteredName = "CSelectPanelUI";

    explicit CSelectPanelUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassText); }
    bool IsArmed() const { return m_armed; }
    bool IsDragging() const { return m_dragging; }
    QRect Selection() const { return m_selection; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ApplySelection();

    QRubberBand* m_band = nullptr; // child of this panel
    QPoint m_start;
    QRect m_selection;
    bool m_armed = false;
    bool m_dragging = false;
};
