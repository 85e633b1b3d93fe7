// The main window's event dispatch: a table of routes (notification type + control name ->
// handler), which each panel fills with its own routes, run in the order of their sections.
#pragma once

#include "DeviceTypes.h"
#include "UiTypes.h"

#include <QString>
#include <functional>
#include <vector>

namespace vpc::panels {

// Which current device a route needs; when the current device does not satisfy it (or there is
// none) the route does nothing.
enum class DeviceNeed { None, AnyDevice, Keyboard, Mouse, KeyboardOrMouse, MousePad, Headset };

// The tables of the dispatch, in the order a notification is looked up in them. The routes of
// the mouse settings, shoot, headset and music controls come after all of these.
enum class RouteSection {
    WindowClick = 100,     // the window's own buttons
    NumberedClick = 200,   // "key_" n, "color_option_" n, "windowdeviceset_" n
    PanelClick = 300,      // named buttons of the panels
    SelectChanged = 400,   // options, check boxes and tabs
    ValueChanged = 500,    // sliders released
    ItemSelect = 600,      // combo boxes and lists
    ItemSelectApply = 650, // selections that apply the key assignment being edited
    KillFocus = 700,       // edits left
    ColorChanged = 800,    // the palette control
    SelectEnd = 900,       // rubber-band selection ended
    MessageMap = 950,      // "itemactivate", "setfocus"
    DeviceSettings = 1000, // mouse, shoot, headset and music lighting controls
};

// The device of the visible, selected device list entry, or none.
struct CurrentDevice {
    QWidget* device = nullptr;
    int type = 0;
};

struct RouteCall {
    TNotifyUI& msg;
    QString name;    // the sender's control name
    int number = -1; // n of a numbered control
    CurrentDevice current;
};

using RouteHandler = std::function<void(RouteCall&)>;

class CRouteTable {
public:
    // A route for one control name (compared ignoring case).
    void Add(RouteSection section, const QString& type, const QString& name, DeviceNeed need,
             RouteHandler handler);
    // A route for the numbered controls prefix + n (the prefix ends with its "_").
    void AddNumbered(RouteSection section, const QString& type, const QString& prefix,
                     DeviceNeed need, RouteHandler handler);

    // Runs every route that matches, in section order and, within a section, in the order
    // they were added. Returns the number of routes that ran.
    int Run(TNotifyUI& msg, const CurrentDevice& current) const;

    bool HasRoute(const QString& type, const QString& name) const;
    int RouteCount() const { return static_cast<int>(m_routes.size()); }

    static bool Satisfies(DeviceNeed need, const CurrentDevice& current);

private:
    struct Route {
        RouteSection section;
        QString type;
        QString name; // the name, or the prefix of a numbered route
        bool numbered;
        DeviceNeed need;
        RouteHandler handler;
    };
    void Insert(Route route);

    std::vector<Route> m_routes; // kept sorted by section, stable
};

// What the main window's Notify calls (after its debug lines): runs the notification's
// routes. The window owns one, built with a function that returns the current device, lets each
// panel register its routes (RegisterProfileRoutes, ...) and calls Dispatch(msg) from Notify
// before the toolkit's default handling.
class CEventDispatcher {
public:
    using CurrentDeviceProvider = std::function<CurrentDevice()>;

    explicit CEventDispatcher(CurrentDeviceProvider currentDevice)
        : m_currentDevice(std::move(currentDevice)) {}

    CRouteTable& Routes() { return m_routes; }
    const CRouteTable& Routes() const { return m_routes; }

    // True when at least one route took the notification.
    bool Dispatch(TNotifyUI& msg);

    // False for the notifications that are not passed to the toolkit's default handling
    // afterwards ("click_wpremove", "click_wpedit").
    static bool PassesToDefaultHandling(const QString& type);

private:
    CurrentDeviceProvider m_currentDevice;
    CRouteTable m_routes;
};

} // namespace vpc::panels
