// Builds a control subtree from a layout file of the skin, asking a callback and
// then the custom control factory for classes that are not plain Qt widgets.
#pragma once

#include <QString>
#include <functional>

class QWidget;
class CPaintManagerUI;

// Returns a new control for a layout class name, or null to let others try.
using CreateControlCallback = std::function<QWidget*(const QString& className)>;

class CDialogBuilder {
public:
    // layout: a name from "res.xml" or a file relative to the skin folder. The new
    // subtree gets parent as its parent, its texts from the current language and,
    // with a manager, its events connected. Null when the layout is missing or bad.
    static QWidget* Create(const QString& layout, const CreateControlCallback& callback,
                           QWidget* parent, CPaintManagerUI* manager = nullptr);

    // The reason the last Create returned null.
    static QString LastError();
};
