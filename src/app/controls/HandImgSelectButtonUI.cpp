#include "HandImgSelectButtonUI.h"

#include "SkinImage.h"

#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

QRect PanSource(const QRect& source, const QPoint& offset, const QSize& imageSize) {
    QRect moved = source.translated(offset);
    const int maxLeft = std::max(0, imageSize.width() - source.width());
    const int maxTop = std::max(0, imageSize.height() - source.height());
    moved.moveTo(std::clamp(moved.left(), 0, maxLeft), std::clamp(moved.top(), 0, maxTop));
    return moved;
}

std::optional<Qt::CursorShape> CursorShapeFromName(const QString& name) {
    static const QHash<QString, Qt::CursorShape> shapes = {
        {"arrow", Qt::ArrowCursor},        {"ibeam", Qt::IBeamCursor},
        {"wait", Qt::WaitCursor},          {"cross", Qt::CrossCursor},
        {"uparrow", Qt::UpArrowCursor},    {"size", Qt::SizeAllCursor},
        {"icon", Qt::ArrowCursor},         {"sizenwse", Qt::SizeFDiagCursor},
        {"sizenesw", Qt::SizeBDiagCursor}, {"sizewe", Qt::SizeHorCursor},
        {"sizens", Qt::SizeVerCursor},     {"sizeall", Qt::SizeAllCursor},
        {"no", Qt::ForbiddenCursor},       {"hand", Qt::PointingHandCursor},
    };
    const auto it = shapes.constFind(name.trimmed().toLower());
    if (it == shapes.constEnd()) {
        return std::nullopt;
    }
    return *it;
}

CHandImgSelectButtonUI::CHandImgSelectButtonUI(QWidget* parent) : QPushButton(parent) {}

void CHandImgSelectButtonUI::SetHandImage(const QString& image) {
    const CImageText parsed = CImageText::Parse(image);
    m_file = parsed.file;
    m_imageSize = LoadSkinPixmap(m_file).size();
    const QRect wanted =
        parsed.source.isNull() ? QRect(QPoint(0, 0), size().boundedTo(m_imageSize)) : parsed.source;
    SetSource(PanSource(wanted, {}, m_imageSize));
}

void CHandImgSelectButtonUI::SetSource(const QRect& source) {
    m_source = source;
    m_imageText = m_file.isEmpty() ? QString() : FormatSourceImageText(m_file, m_source);
    update();
}

void CHandImgSelectButtonUI::SetCursorName(const QString& name) {
    const std::optional<Qt::CursorShape> shape = CursorShapeFromName(name);
    if (!shape) {
        qWarning("Unknown cursor name \"%s\" on %s", qPrintable(name), qPrintable(objectName()));
        return;
    }
    m_cursorName = name.trimmed().toLower();
    setCursor(*shape);
}

void CHandImgSelectButtonUI::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    DrawImageText(painter, rect(), m_imageText);
}

void CHandImgSelectButtonUI::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    if (!m_file.isEmpty()) {
        // The window onto the picture follows the button's size.
        const QRect resized(m_source.topLeft(), size().boundedTo(m_imageSize));
        SetSource(PanSource(resized, {}, m_imageSize));
    }
}

void CHandImgSelectButtonUI::mousePressEvent(QMouseEvent* event) {
    m_lastPointer = event->position().toPoint();
    QPushButton::mousePressEvent(event);
}

void CHandImgSelectButtonUI::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pointer = event->position().toPoint();
    const bool larger = m_imageSize.width() > width() || m_imageSize.height() > height();
    if ((event->buttons() & Qt::LeftButton) && larger) {
        // The picture follows the hand: dragging right shows more of its left.
        SetSource(PanSource(m_source, m_lastPointer - pointer, m_imageSize));
    }
    m_lastPointer = pointer;
    QPushButton::mouseMoveEvent(event);
}
