#include "LazySkinPixmap.h"

#include "SkinResources.h"

#include <QEvent>
#include <QLabel>
#include <QPixmap>
#include <QPixmapCache>

namespace {

constexpr const char* kPictureProperty = "skinPixmap";

// One decoded copy per picture, shared by every label that shows it.
QPixmap SkinPixmap(const QString& relative) {
    const QString path = CSkinResources::Instance().ImagePath(relative);
    if (path.isEmpty())
        return {};
    QPixmap pixmap;
    if (!QPixmapCache::find(path, &pixmap) && pixmap.load(path))
        QPixmapCache::insert(path, pixmap);
    return pixmap;
}

} // namespace

void CLazySkinPixmap::Watch(QWidget* root) {
    if (!root)
        return;
    QList<QLabel*> labels = root->findChildren<QLabel*>();
    if (auto* label = qobject_cast<QLabel*>(root))
        labels.prepend(label);
    CLazySkinPixmap* watcher = nullptr;
    for (QLabel* label : labels) {
        if (label->property(kPictureProperty).toString().isEmpty())
            continue;
        if (!watcher)
            watcher = new CLazySkinPixmap(root); // owned by the root
        label->installEventFilter(watcher);
    }
}

bool CLazySkinPixmap::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        if (auto* label = qobject_cast<QLabel*>(watched)) {
            label->removeEventFilter(this);
            label->setPixmap(SkinPixmap(label->property(kPictureProperty).toString()));
        }
    }
    return QObject::eventFilter(watched, event);
}
