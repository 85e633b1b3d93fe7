// Pop-up menus described by a small XML file of the skin: each <MenuElement> has a
// name (what the caller acts on), a language text id and, for an on/off item, checkable="true".
#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <memory>

class QMenu;
class QWidget;

class CMenuWnd {
public:
    // Builds the menu of a skin file; null when the file is missing or malformed.
    // Each action carries its element's name as its object name.
    static std::unique_ptr<QMenu> BuildMenu(const QString& layoutFile, QWidget* parent = nullptr);
    // Shows the menu at a screen position and returns the name of the chosen item,
    // or an empty text when the menu was dismissed. Checkable items named in checkedItems
    // show as on.
    static QString Popup(const QString& layoutFile, const QPoint& globalPosition,
                         QWidget* parent = nullptr, const QStringList& checkedItems = {});
};
