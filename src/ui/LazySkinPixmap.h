// Pictures of labels that a layout names with the "skinPixmap" property: each is read from the
// skin when its label is first shown, so the hidden pages of a window cost no decoding at start.
#pragma once

#include <QObject>

class QWidget;

class CLazySkinPixmap : public QObject {
    Q_OBJECT
public:
    // Watches every label below `root` (and root itself) that names a picture; owned by root.
    static void Watch(QWidget* root);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
