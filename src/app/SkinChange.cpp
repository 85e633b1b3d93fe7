#include "SkinChange.h"

#include "SkinResources.h"

#include <QColor>
#include <QFileInfo>
#include <QWidget>

CSkinChangeNotifier& CSkinChangeNotifier::Instance() {
    static CSkinChangeNotifier notifier;
    return notifier;
}

void ApplySkinToRoot(QWidget* root, const SkinChangedParam& param) {
    if (!root) {
        return;
    }
    root->setProperty("bkcolor", param.isColor ? param.backgroundColor : 0u);
    root->setProperty("bkimage", param.isColor ? QString() : param.image);
    if (param.isColor) {
        const QColor color = QColor::fromRgba(param.backgroundColor);
        root->setStyleSheet(
            QStringLiteral("#root { background-color: %1; }").arg(color.name(QColor::HexRgb)));
        return;
    }
    const QString file = CSkinResources::Instance().ImagePath(param.image);
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        root->setStyleSheet(QString()); // back to the skin's own background
        return;
    }
    QString url = file;
    url.replace('\\', '/').replace('"', "%22");
    root->setStyleSheet(
        QStringLiteral("#root { border-image: url(\"%1\") 0 0 0 0 stretch stretch; }").arg(url));
}
