// The light of a device key in its LED's colour: the glow's shape per light image and
// size, and the shape tinted per colour, each worked out once and shared between keys.
#pragma once

#include <QImage>
#include <QRgb>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class CKeyGlow {
public:
    // The alpha the LED's colour washes a light image with.
    static constexpr int kLightColorAlpha = 200;

    struct Shape {
        QImage mask;            // coverage in the alpha channel, at the device pixel ratio
        bool fromImage = false; // the skin's light image; otherwise a rim and a faint fill
        // The mask's coverage: the value most of its pixels have, and the runs of pixels
        // (counted row by row from the top left) of the others.
        struct Run {
            std::uint32_t start = 0;
            std::uint32_t length = 0;
            std::uint8_t coverage = 0;
        };
        std::uint8_t commonCoverage = 0;
        std::vector<Run> runs;
        std::vector<std::uint8_t> levels; // the values the coverage takes
    };

    // The glow's shape for keys of this light image (empty: rim and fill) and size;
    // valid until the next call.
    static const Shape& ShapeFor(const QString& lightImage, QSize size, qreal pixelRatio);
    // The shape's coverage times the colour (non-premultiplied ARGB), as a premultiplied
    // image.
    static QImage Tinted(const Shape& shape, QRgb color);

    // Drops every kept picture (after a skin change).
    static void Clear();

private:
    struct ShapeEntry {
        QString lightImage;
        QSize size;
        qreal pixelRatio = 0;
        Shape shape;
    };
    struct TintEntry {
        qint64 maskKey = 0;
        QRgb color = 0;
        QImage image;
    };
    // A few shapes serve a whole device page; a frame of a wave shows a handful of
    // colours, so the last few dozen tints cover the keys of one frame.
    static constexpr std::size_t kShapesKept = 16;
    static constexpr std::size_t kTintsKept = 48;

    // The mask with its common coverage, runs and values, and the mask alone.
    static Shape DrawShape(const QString& lightImage, QSize size, qreal pixelRatio);
    static Shape DrawMask(const QString& lightImage, QSize size, qreal pixelRatio);
    // Writes the tint into image, which has the mask's size and format.
    static void Tint(const Shape& shape, QRgb color, QImage& image);

    static std::vector<ShapeEntry>& Shapes();
    static std::array<TintEntry, kTintsKept>& Tints();
    static std::size_t& NextTint();
};
