#include "DeviceKeyButtonUI.h"

#include "ControlEvents.h"
#include "KeyCaption.h"
#include "KeyLightSurface.h"
#include "SkinImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <algorithm>
#include <vector>

namespace {

const QColor kSelectionFrame(0x22, 0xe0, 0xc4);
const QColor kKeySetMarker(0xf5, 0xa6, 0x23);
// Room left and right of a caption, inside the key's rim.
constexpr int kCaptionMargin = 6;

// A picture of the key's size at the screen's pixel ratio, filled with one colour.
QPixmap BlankLayer(QSize size, qreal pixelRatio, const QColor& fill) {
    QPixmap layer(size * pixelRatio);
    layer.setDevicePixelRatio(pixelRatio);
    layer.fill(fill);
    return layer;
}

} // namespace

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : QPushButton(parent) {
    TakeOwnPointerEvents(this);
    // The face carries the parents' backgrounds, so the key covers all of its pixels
    // and its parents need not paint under it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CDeviceKeyButtonUI::SetLightImage(const QString& image) {
    m_lightImage = image;
    Repaint();
}

void CDeviceKeyButtonUI::SetKeySetImage(const QString& image) {
    m_keySetImage = image;
    Repaint();
}

void CDeviceKeyButtonUI::ShowLightOverlay(bool show) {
    m_showLight = show;
    Repaint();
}

void CDeviceKeyButtonUI::ShowKeySetMarker(bool show) {
    m_keySetHidden = !show;
    Repaint();
}

void CDeviceKeyButtonUI::SetSelected(bool selected) {
    if (m_selected != selected) {
        m_selected = selected;
        Repaint();
    }
}

void CDeviceKeyButtonUI::SetLedColorWord(uint word) {
    const uint color = word & 0xFFFFFFu;
    if (m_ledColor != color) {
        m_ledColor = color;
        RepaintLight();
    }
}

void CDeviceKeyButtonUI::SetLedBrightness(int brightness) {
    const int clamped = std::clamp(brightness, 0, 255);
    if (m_ledBrightness != clamped) {
        m_ledBrightness = clamped;
        RepaintLight();
    }
}

void CDeviceKeyButtonUI::SetLedLit(bool lit) {
    if (m_ledLit != lit) {
        m_ledLit = lit;
        RepaintLight();
    }
}

void CDeviceKeyButtonUI::ShowLed(std::uint32_t colorWord, int brightness, bool lit) {
    const uint color = colorWord & 0xFFFFFFu;
    const int clamped = std::clamp(brightness, 0, 255);
    if (m_ledColor != color || m_ledBrightness != clamped || m_ledLit != lit) {
        m_ledColor = color;
        m_ledBrightness = clamped;
        m_ledLit = lit;
        RepaintLight();
    }
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

bool CDeviceKeyButtonUI::event(QEvent* event) {
    // Style-sheet rules may select on dynamic properties and on polish.
    const bool polish = event->type() == QEvent::Polish;
    if (event->type() == QEvent::DynamicPropertyChange || polish) {
        ForgetCachedLook();
    }
    const bool handled = QPushButton::event(event);
    if (polish) {
        setAttribute(Qt::WA_OpaquePaintEvent); // a style sheet's polish clears it
    }
    return handled;
}

void CDeviceKeyButtonUI::changeEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::StyleChange:
        // a new skin may give the light images new pictures
        CKeyGlow::Clear();
        ForgetCachedLook();
        break;
    case QEvent::FontChange:
    case QEvent::PaletteChange:
        ForgetCachedLook();
        break;
    default:
        break;
    }
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::StyleChange) {
        setAttribute(Qt::WA_OpaquePaintEvent); // a style sheet's polish clears it
    }
}

void CDeviceKeyButtonUI::SetLightSurface(CKeyLightSurface* surface) {
    m_surface = surface;
}

void CDeviceKeyButtonUI::Repaint() {
    if (!m_surface || !m_surface->RepaintKey(this)) {
        update();
    }
}

void CDeviceKeyButtonUI::RepaintLight() {
    if (!m_surface || !m_surface->TakeLightChange(this)) {
        update();
    }
}

void CDeviceKeyButtonUI::ForgetCachedLook() {
    m_face = QPixmap();
    m_faceLook = FaceLook{};
    m_top = QPixmap();
    m_topLook = TopLook{};
}

// The preview repaints every key many times a second, so each layer is drawn once into
// a picture and the frame only composes them: the face with what lies under the key,
// the light in the LED's colour, then the marker and the selection frame.
void CDeviceKeyButtonUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintLayers(painter);
}

void CDeviceKeyButtonUI::PaintLayers(QPainter& painter) {
    painter.drawPixmap(0, 0, Face());
    if (m_showLight) {
        const QImage light = Light();
        if (!light.isNull()) {
            painter.drawImage(0, 0, light);
        }
    }
    if (!m_keySetHidden || m_selected) {
        painter.drawPixmap(0, 0, TopLayer());
    }
}

const QPixmap& CDeviceKeyButtonUI::Face() {
    // What the style draws the face from, read cheaply: the full style option (its
    // icon size asks the style sheet) is only built when the face is redrawn.
    const QWidget* topLevel = window();
    const FaceLook look{size(),
                        devicePixelRatioF(),
                        isDown(),
                        isChecked(),
                        underMouse(),
                        hasFocus(),
                        isEnabled(),
                        topLevel->isActiveWindow(),
                        isFlat(),
                        isDefault(),
                        layoutDirection(),
                        text(),
                        icon().cacheKey(),
                        palette().cacheKey(),
                        mapTo(topLevel, QPoint(0, 0)),
                        topLevel->size()};
    if (!m_face.isNull() && look == m_faceLook) {
        return m_face;
    }
    m_faceLook = look;
    // Opaque: the backdrop covers it all, and an opaque picture is copied, not blended.
    m_face = BlankLayer(size(), look.pixelRatio, Qt::black);
    QPainter face(&m_face);
    PaintBackdrop(face);
    QStyleOptionButton option;
    initStyleOption(&option);
    // Set up as a painter on the button itself would be, then drawn as the button draws.
    face.setPen(palette().color(foregroundRole()));
    face.setBrush(palette().brush(backgroundRole()));
    face.setFont(font());
    // A name too long for the key is written in smaller letters (the style sheet's font
    // would win over the painter's, so the face is drawn without it and the name after).
    const KeyCaption caption = KeyCaption::Fit(font(), option.text, width() - kCaptionMargin);
    if (caption.text == option.text && caption.font == font()) {
        style()->drawControl(QStyle::CE_PushButton, &option, &face, this);
        return m_face;
    }
    option.text.clear();
    style()->drawControl(QStyle::CE_PushButton, &option, &face, this);
    face.setFont(caption.font);
    style()->drawItemText(&face, rect(), Qt::AlignCenter, palette(), isEnabled(), caption.text,
                          QPalette::ButtonText);
    return m_face;
}

void CDeviceKeyButtonUI::PaintBackdrop(QPainter& painter) const {
    std::vector<QWidget*> parents;
    for (QWidget* parent = parentWidget(); parent != nullptr;
         parent = parent->isWindow() ? nullptr : parent->parentWidget()) {
        parents.push_back(parent);
    }
    // From the window down, each parent's own background and painting (not its
    // children) within the key's rectangle. Only the window is filled whatever its
    // settings; the others paint a background where they have one, as on screen.
    for (auto parent = parents.rbegin(); parent != parents.rend(); ++parent) {
        const QRect under(mapTo(*parent, QPoint(0, 0)), size());
        (*parent)->render(&painter, QPoint(0, 0), QRegion(under),
                          (*parent)->isWindow() ? QWidget::DrawWindowBackground
                                                : QWidget::RenderFlags());
    }
}

QImage CDeviceKeyButtonUI::Light() {
    QColor tint = ShownLedColor();
    if (tint.alpha() == 0) {
        return QImage();
    }
    const CKeyGlow::Shape& shape = CKeyGlow::ShapeFor(m_lightImage, size(), devicePixelRatioF());
    if (shape.fromImage) {
        // The light image gives the glow's shape; the LED's colour washes it.
        tint.setAlpha(kLightColorAlpha);
    }
    return CKeyGlow::Tinted(shape, tint.rgba());
}

const QPixmap& CDeviceKeyButtonUI::TopLayer() {
    const TopLook look{size(), devicePixelRatioF(), !m_keySetHidden, m_keySetImage, m_selected};
    if (!m_top.isNull() && look == m_topLook) {
        return m_top;
    }
    m_topLook = look;
    m_top = BlankLayer(size(), look.pixelRatio, Qt::transparent);
    QPainter top(&m_top);
    top.setRenderHint(QPainter::Antialiasing);
    if (look.marker) {
        PaintKeySetMarker(top);
    }
    if (look.selected) {
        PaintSelectionFrame(top);
    }
    return m_top;
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

void CDeviceKeyButtonUI::PaintSelectionFrame(QPainter& painter) const {
    painter.setPen(QPen(kSelectionFrame, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
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
