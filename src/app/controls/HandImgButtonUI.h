// A picture button (a hand-drawn or chosen image) with an optional delete zone in
// its lower right corner: a release there raises "click_handdelete" instead of "click".
#pragma once

#include <QPushButton>
#include <QRect>
#include <QSize>

// The delete zone of a button of this size: 20 by 20, its corner 30 units left of
// the right edge and 29 above the bottom, every length scaled by dpi / 96.
QRect HandDeleteZone(const QSize& buttonSize, int dpi);

class CHandImgButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
    Q_PROPERTY(QString handimage READ GetHandImage WRITE SetHandImage)
    Q_PROPERTY(QString deletenormalimage READ GetDeleteNormalImage WRITE SetDeleteNormalImage)
    Q_PROPERTY(QString deletehotimage READ GetDeleteHotImage WRITE SetDeleteHotImage)
public:
    static constexpr const char* kClassText = "HandImgButton";
    static constexpr const char* kRegisteredName = "CHandImgButtonUI";

    explicit CHandImgButtonUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassText); }

    QString GetHandImage() const { return m_handImage; }
    void SetHandImage(const QString& image);
    QString GetDeleteNormalImage() const { return m_deleteNormalImage; }
    void SetDeleteNormalImage(const QString& image);
    QString GetDeleteHotImage() const { return m_deleteHotImage; }
    void SetDeleteHotImage(const QString& image);

    bool IsDeleteEnabled() const { return m_deleteEnabled; }
    void SetDeleteEnabled(bool enabled);
    // The delete zone in this button's coordinates at its window's DPI.
    QRect DeleteZone() const;
    bool IsHovered() const { return m_hovered; }
    bool IsPointerInDeleteZone() const { return m_pointerInZone; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void PaintDeleteZone(QPainter& painter) const;

    QString m_handImage;
    QString m_deleteNormalImage;
    QString m_deleteHotImage;
    bool m_deleteEnabled = false;
    bool m_hovered = false;
    bool m_pointerInZone = false;
};
