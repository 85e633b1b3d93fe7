#include "SkinPixmap.h"

#include "SkinResources.h"

#include <QPixmapCache>

QPixmap LoadSkinPixmap(const QString& file) {
    if (file.isEmpty()) {
        return {};
    }
    const QString path = CSkinResources::Instance().ImagePath(file);
    if (path.isEmpty()) {
        return {};
    }
    QPixmap pixmap;
    if (!QPixmapCache::find(path, &pixmap)) {
        if (pixmap.load(path)) {
            QPixmapCache::insert(path, pixmap);
        }
    }
    return pixmap;
}
