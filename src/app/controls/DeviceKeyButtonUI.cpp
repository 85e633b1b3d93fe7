#include "DeviceKeyButtonUI.h"

#include "ControlEvents.h"
#include "SkinImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <algorithm>
#include <array>

namespace {

const QColor kSelectionFrame(0x22, 0xe0, 0xc4);
const QColor kKeySetMarker(0xf5, 0xa6, 0x23);

} // namespace

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : QPushButton(parent) {
    TakeOwnPointerEvents(this);
}

void CDeviceKeyButtonUI::SetLightImage(const QString& image) {
    m_lightImage = image;
    m_lightMask = QImage();
    update();
}

void CDeviceKeyButtonUI::SetKeySetImage(const QString& image) {
    m_keySetImage = image;
    update();
}

void CDeviceKeyButtonUI::ShowLightOverlay(bool show) {
    m_showLight = show;
    update();
}

void CDeviceKeyButtonUI::ShowKeySetMarker(bool show) {
    m_keySetHidden = !show;
    update();
}

void CDeviceKeyButtonUI::SetSelected(bool selected) {
    if (m_selected != selected) {
        m_selected = selected;
        update();
    }
}

void CDeviceKeyButtonUI::SetLedColorWord(uint word) {
    const uint color = word & 0xFFFFFFu;
    if (m_ledColor != color) {
        m_ledColor = color;
        update();
    }
}

void CDeviceKeyButtonUI::SetLedBrightness(int brightness) {
    const int clamped = std::clamp(brightness, 0, 255);
    if (m_ledBrightness != clamped) {
        m_ledBrightness = clamped;
        update();
    }
}

void CDeviceKeyButtonUI::SetLedLit(bool lit) {
    if (m_ledLit != lit) {
        m_ledLit = lit;
        update();
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
    if (event->type() == QEvent::DynamicPropertyChange || event->type() == QEvent::Polish) {
        ForgetCachedLook();
    }
    return QPushButton::event(event);
}

void CDeviceKeyButtonUI::changeEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::StyleChange:
    case QEvent::FontChange:
    case QEvent::PaletteChange:
        ForgetCachedLook();
        break;
    default:
        break;
    }
    QPushButton::changeEvent(event);
}

void CDeviceKeyButtonUI::ForgetCachedLook() {
    m_face = QPixmap();
    m_faceLook = FaceLook{};
    m_lightMask = QImage();
    m_top = QPixmap();
    m_topLook = TopLook{};
}

// The preview repaints every key many times a second, so each layer is drawn once into
// a picture and the frame only composes them: the button face, the light in the LED's
// colour, then the marker and the selection frame.
void CDeviceKeyButtonUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, Face());
    if (m_showLight) {
        const QColor tint = LightTint();
        if (tint.alpha() != 0) {
            painter.drawImage(0, 0, TintedLight(tint));
        }
    }
    if (!m_keySetHidden || m_selected) {
        painter.drawPixmap(0, 0, TopLayer());
    }
}

const QPixmap& CDeviceKeyButtonUI::Face() {
    QStyleOptionButton option;
    initStyleOption(&option);
    const FaceLook look{size(),
                        devicePixelRatioF(),
                        option.state,
                        option.features,
                        option.direction,
                        option.text,
                        option.icon.cacheKey(),
                        option.iconSize,
                        option.palette.cacheKey()};
    if (!m_face.isNull() && look == m_faceLook) {
        return m_face;
    }
    m_faceLook = look;
    m_face = QPixmap(size() * look.pixelRatio);
    m_face.setDevicePixelRatio(look.pixelRatio);
    m_face.fill(Qt::transparent);
    // Set up as a painter on the button itself would be, then drawn as the button draws.
    QPainter face(&m_face);
    face.setPen(palette().color(foregroundRole()));
    face.setBrush(palette().brush(backgroundRole()));
    face.setFont(font());
    style()->drawControl(QStyle::CE_PushButton, &option, &face, this);
    return m_face;
}

QColor CDeviceKeyButtonUI::LightTint() {
    QColor tint = ShownLedColor();
    if (tint.alpha() != 0) {
        LightMask();
        if (m_lightMaskFromImage) {
            // The light image gives the glow's shape; the LED's colour washes it.
            tint.setAlpha(kLightColorAlpha);
        }
    }
    return tint;
}

const QImage& CDeviceKeyButtonUI::LightMask() {
    const qreal ratio = devicePixelRatioF();
    if (!m_lightMask.isNull() && m_lightMaskSize == size() && m_lightMaskRatio == ratio) {
        return m_lightMask;
    }
    m_lightMaskSize = size();
    m_lightMaskRatio = ratio;
    m_tintedLightColor = QColor();
    m_lightMask = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    m_lightMask.setDevicePixelRatio(ratio);
    m_lightMask.fill(Qt::transparent);
    QPainter mask(&m_lightMask);
    mask.setRenderHint(QPainter::Antialiasing);
    const QPixmap light =
        m_lightImage.isEmpty() ? QPixmap() : LoadSkinPixmap(CImageText::Parse(m_lightImage).file);
    m_lightMaskFromImage = !light.isNull();
    if (m_lightMaskFromImage) {
        mask.setOpacity(kLightImageFade / 255.0);
        mask.drawPixmap(rect(), light);
        return m_lightMask;
    }
    // Without a light image the LED shows as a glowing rim and a faint fill.
    QColor fill(Qt::white);
    fill.setAlpha(kLightColorAlpha / 4);
    QColor rim(Qt::white);
    rim.setAlpha(kLightColorAlpha);
    mask.setBrush(fill);
    mask.setPen(QPen(rim, 2));
    mask.drawRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), 4, 4);
    return m_lightMask;
}

const QImage& CDeviceKeyButtonUI::TintedLight(const QColor& tint) {
    const QImage& mask = LightMask();
    if (m_tintedLight.size() == mask.size() && m_tintedLightColor == tint) {
        return m_tintedLight;
    }
    m_tintedLightColor = tint;
    if (m_tintedLight.size() != mask.size()) {
        m_tintedLight = QImage(mask.size(), QImage::Format_ARGB32_Premultiplied);
    }
    m_tintedLight.setDevicePixelRatio(mask.devicePixelRatio());
    // The mask's coverage times the tint, as a brush of that colour painted through the
    // shape. Done by hand: a painter would hand a tall key's rows to the GUI thread pool.
    const QRgb color = qPremultiply(tint.rgba());
    const auto scale = [](uint channel, uint coverage) {
        const uint product = channel * coverage + 0x80;
        return (product + (product >> 8)) >> 8;
    };
    // Every pixel of one coverage gets the same colour, so each is worked out once.
    std::array<QRgb, 256> byCoverage{};
    for (uint alpha = 1; alpha < byCoverage.size(); ++alpha) {
        byCoverage[alpha] = qRgba(scale(qRed(color), alpha), scale(qGreen(color), alpha),
                                  scale(qBlue(color), alpha), scale(qAlpha(color), alpha));
    }
    const int width = mask.width();
    const int height = mask.height();
    const uchar* maskRows = mask.constBits();
    uchar* outRows = m_tintedLight.bits();
    const qsizetype maskStride = mask.bytesPerLine();
    const qsizetype outStride = m_tintedLight.bytesPerLine();
    for (int y = 0; y < height; ++y) {
        const auto* coverage = reinterpret_cast<const QRgb*>(maskRows + y * maskStride);
        auto* out = reinterpret_cast<QRgb*>(outRows + y * outStride);
        for (int x = 0; x < width; ++x) {
            out[x] = byCoverage[qAlpha(coverage[x])];
        }
    }
    return m_tintedLight;
}

const QPixmap& CDeviceKeyButtonUI::TopLayer() {
    const TopLook look{size(), devicePixelRatioF(), !m_keySetHidden, m_keySetImage, m_selected};
    if (!m_top.isNull() && look == m_topLook) {
        return m_top;
    }
    m_topLook = look;
    m_top = QPixmap(size() * look.pixelRatio);
    m_top.setDevicePixelRatio(look.pixelRatio);
    m_top.fill(Qt::transparent);
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
