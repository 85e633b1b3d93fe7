#include "LazySkinPixmap.h"

#include "SkinPixmap.h"

#include <QEvent>
#include <QLabel>

namespace {

constexpr const char* kPictureProperty = "skinPixmap";

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
            label->setPixmap(LoadSkinPixmap(label->property(kPictureProperty).toString()));
        }
    }
    return QObject::eventFilter(watched, event);
}
