#include "MenuWnd.h"

#include "SkinResources.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QXmlStreamReader>

std::unique_ptr<QMenu> CMenuWnd::BuildMenu(const QString& layoutFile, QWidget* parent) {
    const CSkinResources& skin = CSkinResources::Instance();
    QString path = skin.LayoutPath(layoutFile);
    if (path.isEmpty()) {
        path = skin.ImagePath(layoutFile); // menus keep their .xml name
    }
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return nullptr;
    }
    auto menu = std::make_unique<QMenu>(parent);
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == QLatin1String("MenuElement")) {
            const QString name = xml.attributes().value("name").toString();
            const QString textId = xml.attributes().value("textId").toString();
            QAction* action = menu->addAction(skin.Translate(textId.isEmpty() ? name : textId));
            action->setObjectName(name);
            action->setProperty("textId", textId);
            action->setCheckable(xml.attributes().value("checkable") == QLatin1String("true"));
        } else if (xml.name() == QLatin1String("Separator")) {
            menu->addSeparator();
        }
    }
    if (xml.hasError()) {
        qWarning("Menu %s is malformed: %s", qPrintable(path), qPrintable(xml.errorString()));
        return nullptr;
    }
    return menu;
}

QString CMenuWnd::Popup(const QString& layoutFile, const QPoint& globalPosition, QWidget* parent,
                        const QStringList& checkedItems) {
    const std::unique_ptr<QMenu> menu = BuildMenu(layoutFile, parent);
    if (!menu) {
        return {};
    }
    for (QAction* action : menu->actions()) {
        if (action->isCheckable()) {
            action->setChecked(checkedItems.contains(action->objectName()));
        }
    }
    const QAction* chosen = menu->exec(globalPosition);
    return chosen ? chosen->objectName() : QString();
}
