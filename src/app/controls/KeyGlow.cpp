#include "KeyGlow.h"

#include "SkinImage.h"

#include <QPainter>
#include <QPixmap>

CKeyGlow::Shape CKeyGlow::ShapeFor(const QString& lightImage, QSize size, qreal pixelRatio) {
    std::vector<ShapeEntry>& shapes = Shapes();
    for (const ShapeEntry& entry : shapes) {
        if (entry.size == size && entry.pixelRatio == pixelRatio &&
            entry.lightImage == lightImage) {
            return entry.shape;
        }
    }
    if (shapes.size() >= kShapesKept) {
        shapes.erase(shapes.begin());
    }
    shapes.push_back({lightImage, size, pixelRatio, DrawShape(lightImage, size, pixelRatio)});
    return shapes.back().shape;
}

QImage CKeyGlow::Tinted(const QImage& mask, QRgb color) {
    const qint64 maskKey = mask.cacheKey();
    std::array<TintEntry, kTintsKept>& tints = Tints();
    for (const TintEntry& entry : tints) {
        if (entry.maskKey == maskKey && entry.color == color && !entry.image.isNull()) {
            return entry.image;
        }
    }
    std::size_t& next = NextTint();
    TintEntry& slot = tints[next];
    next = (next + 1) % tints.size();
    slot = {maskKey, color, Tint(mask, color)};
    return slot.image;
}

void CKeyGlow::Clear() {
    Shapes().clear();
    Tints().fill(TintEntry{});
}

CKeyGlow::Shape CKeyGlow::DrawShape(const QString& lightImage, QSize size, qreal pixelRatio) {
    Shape shape;
    shape.mask = QImage(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    shape.mask.setDevicePixelRatio(pixelRatio);
    shape.mask.fill(Qt::transparent);
    QPainter painter(&shape.mask);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area(QPoint(0, 0), size);
    const QPixmap light =
        lightImage.isEmpty() ? QPixmap() : LoadSkinPixmap(CImageText::Parse(lightImage).file);
    shape.fromImage = !light.isNull();
    if (shape.fromImage) {
        painter.drawPixmap(area, light);
        return shape;
    }
    // Without a light image the LED shows as a glowing rim and a faint fill.
    QColor fill(Qt::white);
    fill.setAlpha(kLightColorAlpha / 4);
    QColor rim(Qt::white);
    rim.setAlpha(kLightColorAlpha);
    painter.setBrush(fill);
    painter.setPen(QPen(rim, 2));
    painter.drawRoundedRect(QRectF(area).adjusted(2, 2, -2, -2), 4, 4);
    return shape;
}

QImage CKeyGlow::Tint(const QImage& mask, QRgb color) {
    QImage tinted(mask.size(), QImage::Format_ARGB32_Premultiplied);
    tinted.setDevicePixelRatio(mask.devicePixelRatio());
    // The mask's coverage times the tint, as a brush of that colour painted through the
    // shape. Done by hand: a painter would hand a tall key's rows to the GUI thread pool.
    const QRgb premultiplied = qPremultiply(color);
    const auto scale = [](uint channel, uint coverage) {
        const uint product = channel * coverage + 0x80;
        return (product + (product >> 8)) >> 8;
    };
    // Every pixel of one coverage gets the same colour, so each is worked out once.
    std::array<QRgb, 256> byCoverage{};
    for (uint alpha = 1; alpha < byCoverage.size(); ++alpha) {
        byCoverage[alpha] =
            qRgba(scale(qRed(premultiplied), alpha), scale(qGreen(premultiplied), alpha),
                  scale(qBlue(premultiplied), alpha), scale(qAlpha(premultiplied), alpha));
    }
    const int width = mask.width();
    const int height = mask.height();
    for (int y = 0; y < height; ++y) {
        const auto* coverage = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(tinted.scanLine(y));
        for (int x = 0; x < width; ++x) {
            out[x] = byCoverage[qAlpha(coverage[x])];
        }
    }
    return tinted;
}

std::vector<CKeyGlow::ShapeEntry>& CKeyGlow::Shapes() {
    static std::vector<ShapeEntry> shapes;
    return shapes;
}

std::array<CKeyGlow::TintEntry, CKeyGlow::kTintsKept>& CKeyGlow::Tints() {
    static std::array<TintEntry, kTintsKept> tints;
    return tints;
}

std::size_t& CKeyGlow::NextTint() {
    static std::size_t next = 0;
    return next;
}
