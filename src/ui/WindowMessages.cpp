#include "WindowMessages.h"

#include <QHash>
#include <mutex>

UINT RegisterWindowMessage(const QString& name) {
    static std::mutex lock;
    static QHash<QString, UINT> numbers;
    constexpr UINT kFirst = 0xC000;
    constexpr UINT kLast = 0xFFFF;
    if (name.isEmpty()) {
        return 0;
    }
    const std::lock_guard guard(lock);
    const auto it = numbers.constFind(name);
    if (it != numbers.constEnd()) {
        return *it;
    }
    const UINT number = kFirst + static_cast<UINT>(numbers.size());
    if (number > kLast) {
        return 0;
    }
    numbers.insert(name, number);
    return number;
}
