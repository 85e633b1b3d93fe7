// A button that shows a window onto a larger picture; dragging with the button
// held pans that window within the picture.
#pragma once

#include <QPoint>
#include <QPushButton>
#include <QRect>
#include <QSize>
#include <optional>

// The source rectangle moved by offset and kept inside a picture of imageSize.
QRect PanSource(const QRect& source, const QPoint& offset, const QSize& imageSize);
// The pointer shape of a skin cursor name ("arrow", "hand", "sizewe", ...), none
// for a name the skin does not know.
std::optional<Qt::CursorShape> CursorShapeFromName(const QString& name);

class CHandImgSelectButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
    Q_PROPERTY(QString handimage READ GetHandImage WRITE SetHandImage)
    // A skin cursor name; it stands in for the widget's own cursor property.
    Q_PROPERTY(QString cursor READ GetCursorName WRITE SetCursorName)
public:
    static constexpr const char* kClassText = "HandImgSelectButton";
    static constexpr const char* kRegisteredName = "CHandImgSelectButtonUI";

    explicit CHandImgSelectButtonUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassText); }

    // The image text as last built: "file='...' source='l,t,r,b'".
    QString GetHandImage() const { return m_imageText; }
    // A file name or an image text; a source in it is kept inside the picture.
    void SetHandImage(const QString& image);
    QRect Source() const { return m_source; }
    QSize ImageSize() const { return m_imageSize; }

    QString GetCursorName() const { return m_cursorName; }
    void SetCursorName(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void SetSource(const QRect& source);

    QString m_file;
    QString m_imageText;
    QSize m_imageSize;
    QRect m_source;
    QPoint m_lastPointer;
    QString m_cursorName;
};
