// The caption of a device key made to fit its face: a smaller letter size for a long
// name, and the name cut with an ellipsis only where even the smallest size is too wide.
#pragma once

#include <QFont>
#include <QString>

struct KeyCaption {
    // Below this pixel size a caption is no longer read at a glance.
    static constexpr int kSmallestPixelSize = 7;

    QFont font;
    QString text;

    // The caption for a face of `width` pixels, starting from the key's own font.
    static KeyCaption Fit(const QFont& font, const QString& text, int width);
};
