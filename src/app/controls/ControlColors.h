// Colours that the program's controls read from their layout: 0xAARRGGBB words
// as the skin writes them, with the theme's colour where the layout gives none.
#pragma once

#include <QColor>

class QWidget;

// The colour in the widget's property, or fallback when it is missing or 0.
QColor ControlColor(const QWidget* widget, const char* property, const QColor& fallback);

namespace ThemeColor {
inline const QColor Accent{0x22, 0xe0, 0xc4};
inline const QColor Surface{0x1f, 0x23, 0x2b};
inline const QColor SurfaceHot{0x26, 0x2a, 0x33};
inline const QColor SurfaceSelected{0x16, 0x49, 0x3f};
inline const QColor Text{0xd7, 0xdb, 0xe3};
inline const QColor Shadow{0x80, 0x80, 0x80};
} // namespace ThemeColor
