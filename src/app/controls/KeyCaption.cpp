#include "KeyCaption.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

namespace {

int WidestLine(const QFontMetrics& metrics, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

int PixelSizeOf(const QFont& font) {
    if (font.pixelSize() > 0)
        return font.pixelSize();
    return QFontMetrics(font).height();
}

} // namespace

KeyCaption KeyCaption::Fit(const QFont& font, const QString& text, int width) {
    KeyCaption caption{font, text};
    if (text.isEmpty() || width <= 0 || WidestLine(QFontMetrics(font), text) <= width)
        return caption;
    // Pixel sizes step down one at a time: a key's caption is a word or two, so a handful
    // of measurements at most, once per drawn face.
    for (int size = std::min(PixelSizeOf(font), 64) - 1; size >= kSmallestPixelSize; --size) {
        caption.font.setPixelSize(size);
        if (WidestLine(QFontMetrics(caption.font), text) <= width)
            return caption;
    }
    caption.font.setPixelSize(kSmallestPixelSize);
    const QFontMetrics smallest(caption.font);
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = smallest.elidedText(line, Qt::ElideRight, width);
    caption.text = lines.join(QLatin1Char('\n'));
    return caption;
}
