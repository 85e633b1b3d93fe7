#include "RouteTable.h"

#include "ControlUI.h"
#include "TextUtil.h"

#include <algorithm>

namespace vpc::panels {

void CRouteTable::Insert(Route route) {
    const auto after = std::upper_bound(
        m_routes.begin(), m_routes.end(), route.section,
        [](RouteSection section, const Route& existing) { return section < existing.section; });
    m_routes.insert(after, std::move(route));
}

void CRouteTable::Add(RouteSection section, const QString& type, const QString& name,
                      DeviceNeed need, RouteHandler handler) {
    Insert({section, type, name, false, need, std::move(handler)});
}

void CRouteTable::AddNumbered(RouteSection section, const QString& type, const QString& prefix,
                              DeviceNeed need, RouteHandler handler) {
    Insert({section, type, prefix, true, need, std::move(handler)});
}

bool CRouteTable::Satisfies(DeviceNeed need, const CurrentDevice& current) {
    if (need == DeviceNeed::None)
        return true;
    if (!current.device)
        return false;
    switch (need) {
    case DeviceNeed::None:
    case DeviceNeed::AnyDevice:
        return true;
    case DeviceNeed::Keyboard:
        return current.type == kKeyboardType;
    case DeviceNeed::Mouse:
        return current.type == kMouseType;
    case DeviceNeed::KeyboardOrMouse:
        return current.type == kKeyboardType || current.type == kMouseType;
    case DeviceNeed::MousePad:
        return current.type == kMousePadType;
    case DeviceNeed::Headset:
        return current.type == kHeadsetType;
    }
    return false;
}

int CRouteTable::Run(TNotifyUI& msg, const CurrentDevice& current) const {
    const QString name = ControlName(msg.pSender);
    // Numbered controls: prefix including its last "_", and the number after it.
    const data::NameNumber split = data::SplitNameNumber(name.toStdString());
    const QString prefix = split.ok ? QString::fromStdString(split.prefix) : QString();

    int ran = 0;
    for (const Route& route : m_routes) {
        if (route.type != msg.sType)
            continue;
        const QString& key = route.numbered ? prefix : name;
        if (key.isEmpty() || key.compare(route.name, Qt::CaseInsensitive) != 0)
            continue;
        if (!Satisfies(route.need, current))
            continue;
        RouteCall call{msg, name, route.numbered ? split.number : -1, current};
        route.handler(call);
        ++ran;
    }
    return ran;
}

bool CRouteTable::HasRoute(const QString& type, const QString& name) const {
    return std::any_of(m_routes.begin(), m_routes.end(), [&](const Route& route) {
        return route.type == type && route.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

bool CEventDispatcher::Dispatch(TNotifyUI& msg) {
    const CurrentDevice current = m_currentDevice ? m_currentDevice() : CurrentDevice{};
    return m_routes.Run(msg, current) > 0;
}

bool CEventDispatcher::PassesToDefaultHandling(const QString& type) {
    return type != DuiEvent::ClickWpRemove && type != DuiEvent::ClickWpEdit;
}

} // namespace vpc::panels
