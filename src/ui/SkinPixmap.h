// The pictures of the skin folder, decoded once and shared by everything that shows them
// (through the pixmap cache).
#pragma once

#include <QPixmap>
#include <QString>

// The picture of a skin file, or a null pixmap when it is missing or unreadable.
QPixmap LoadSkinPixmap(const QString& file);
