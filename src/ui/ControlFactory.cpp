#include "ControlFactory.h"

CControlFactory& CControlFactory::Instance() {
    static CControlFactory factory;
    return factory;
}

const CControlFactory::Entry* CControlFactory::Find(const QString& className) const {
    for (const Entry& entry : m_entries) {
        if (entry.className.compare(className, Qt::CaseInsensitive) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

void CControlFactory::RegisterControl(const QString& className, CreateFunction create) {
    for (Entry& entry : m_entries) {
        if (entry.className.compare(className, Qt::CaseInsensitive) == 0) {
            entry.create = std::move(create);
            return;
        }
    }
    m_entries.push_back({className, std::move(create)});
}

QWidget* CControlFactory::CreateControl(const QString& className, QWidget* parent) const {
    const Entry* entry = Find(className);
    return entry && entry->create ? entry->create(parent) : nullptr;
}

bool CControlFactory::IsRegistered(const QString& className) const {
    return Find(className) != nullptr;
}

QStringList CControlFactory::RegisteredNames() const {
    QStringList names;
    for (const Entry& entry : m_entries) {
        names << entry.className;
    }
    return names;
}
