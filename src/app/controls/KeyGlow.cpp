#include "KeyGlow.h"

#include "SkinImage.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <array>

const CKeyGlow::Shape& CKeyGlow::ShapeFor(const QString& lightImage, QSize size, qreal pixelRatio) {
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

QImage CKeyGlow::Tinted(const Shape& shape, QRgb color) {
    const qint64 maskKey = shape.mask.cacheKey();
    std::array<TintEntry, kTintsKept>& tints = Tints();
    for (const TintEntry& entry : tints) {
        if (entry.maskKey == maskKey && entry.color == color && !entry.image.isNull()) {
            return entry.image;
        }
    }
    std::size_t& next = NextTint();
    TintEntry& slot = tints[next];
    next = (next + 1) % tints.size();
    // The slot's picture is written over when nobody holds it any more and it has the
    // shape's size: a wave shows new colours in every frame.
    const QImage& mask = shape.mask;
    if (!slot.image.isDetached() || slot.image.size() != mask.size() ||
        slot.image.devicePixelRatio() != mask.devicePixelRatio()) {
        slot.image = QImage(mask.size(), QImage::Format_ARGB32_Premultiplied);
        slot.image.setDevicePixelRatio(mask.devicePixelRatio());
    }
    slot.maskKey = maskKey;
    slot.color = color;
    Tint(shape, color, slot.image);
    return slot.image;
}

void CKeyGlow::Clear() {
    Shapes().clear();
    Tints().fill(TintEntry{});
}

CKeyGlow::Shape CKeyGlow::DrawShape(const QString& lightImage, QSize size, qreal pixelRatio) {
    Shape shape = DrawMask(lightImage, size, pixelRatio);
    const int width = shape.mask.width();
    const int height = shape.mask.height();
    std::vector<std::uint8_t> coverage;
    coverage.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::array<std::size_t, 256> count{};
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(shape.mask.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            coverage.push_back(static_cast<std::uint8_t>(qAlpha(row[x])));
            ++count[coverage.back()];
        }
    }
    shape.commonCoverage =
        static_cast<std::uint8_t>(std::max_element(count.begin(), count.end()) - count.begin());
    for (std::size_t value = 0; value < count.size(); ++value) {
        if (count[value] > 0) {
            shape.levels.push_back(static_cast<std::uint8_t>(value));
        }
    }
    for (std::uint32_t index = 0; index < coverage.size(); ++index) {
        const std::uint8_t value = coverage[index];
        if (value == shape.commonCoverage) {
            continue;
        }
        const bool extendsLast = !shape.runs.empty() && shape.runs.back().coverage == value &&
                                 shape.runs.back().start + shape.runs.back().length == index;
        if (extendsLast) {
            ++shape.runs.back().length;
        } else {
            shape.runs.push_back({index, 1, value});
        }
    }
    return shape;
}

CKeyGlow::Shape CKeyGlow::DrawMask(const QString& lightImage, QSize size, qreal pixelRatio) {
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

void CKeyGlow::Tint(const Shape& shape, QRgb color, QImage& image) {
    // The mask's coverage times the tint, as a brush of that colour painted through the
    // shape. Done by hand: a painter would hand a tall key's rows to the GUI thread pool.
    const QRgb premultiplied = qPremultiply(color);
    const auto scale = [](uint channel, uint coverage) {
        const uint product = channel * coverage + 0x80;
        return (product + (product >> 8)) >> 8;
    };
    // Every pixel of one coverage gets the same colour, so each coverage the shape
    // takes is worked out once.
    std::array<QRgb, 256> byCoverage{};
    for (const std::uint8_t alpha : shape.levels) {
        byCoverage[alpha] =
            qRgba(scale(qRed(premultiplied), alpha), scale(qGreen(premultiplied), alpha),
                  scale(qBlue(premultiplied), alpha), scale(qAlpha(premultiplied), alpha));
    }
    // Most pixels share one coverage: the picture is filled with its colour, then the
    // other runs are written. Rows of 32-bit pixels follow each other without a gap.
    image.fill(byCoverage[shape.commonCoverage]);
    auto* pixels = reinterpret_cast<QRgb*>(image.bits());
    for (const Shape::Run& run : shape.runs) {
        std::fill_n(pixels + run.start, run.length, byCoverage[run.coverage]);
    }
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
