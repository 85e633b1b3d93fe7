// The custom control factory: class names used by the skin layouts, each bound to
// a function that creates a new control of that class.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <concepts>
#include <functional>
#include <vector>

class CControlFactory {
public:
    // Makes a control with its parent: a control that builds children of its own is then
    // styled once, not again for all of them when it is moved under its parent.
    using CreateFunction = std::function<QWidget*(QWidget* parent)>;

    static CControlFactory& Instance();

    // A name registered again replaces its function and keeps its place.
    void RegisterControl(const QString& className, CreateFunction create);
    // A function that makes the control without a parent: the parent is set afterwards.
    template <std::invocable MakeControl>
    void RegisterControl(const QString& className, MakeControl make) {
        RegisterControl(className, CreateFunction([make](QWidget* parent) -> QWidget* {
                            QWidget* control = make();
                            if (control && parent)
                                control->setParent(parent);
                            return control;
                        }));
    }
    // A new control of that class (names compared ignoring case) below `parent`, or null.
    QWidget* CreateControl(const QString& className, QWidget* parent = nullptr) const;
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
