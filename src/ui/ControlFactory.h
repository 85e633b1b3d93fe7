// The custom control factory: class names used by the skin layouts, each bound to
// a function that creates a new control of that class.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QWidget;

class CControlFactory {
public:
    using CreateFunction = std::function<QWidget*()>;

    static CControlFactory& Instance();

    // A name registered again replaces its function and keeps its place.
    void RegisterControl(const QString& className, CreateFunction create);
    // A new control of that class (names compared ignoring case), or null.
    QWidget* CreateControl(const QString& className) const;
    bool IsRegistered(const QString& className) const;
    QStringList RegisteredNames() const;
    void Clear() { m_entries.clear(); }

private:
    struct Entry {
        QString className;
        CreateFunction create;
    };
    const Entry* Find(const QString& className) const;

    std::vector<Entry> m_entries;
};
