// The dispatch route table: section order, names ignoring case, numbered controls and the
// device each route needs.
#include "RouteTable.h"

#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace vpc::panels {
namespace {

TEST(RouteTable, RoutesRunInSectionOrderWhateverOrderTheyWereAdded) {
    CRouteTable table;
    std::vector<std::string> ran;
    const auto log = [&ran](const char* what) {
        return [&ran, what](RouteCall&) { ran.push_back(what); };
    };
    table.Add(RouteSection::PanelClick, "click", "color_option_3", DeviceNeed::None, log("named"));
    table.AddNumbered(RouteSection::NumberedClick, "click", "color_option_", DeviceNeed::None,
                      log("numbered"));
    table.Add(RouteSection::DeviceSettings, "click", "COLOR_OPTION_3", DeviceNeed::None,
              log("later table"));
    table.Add(RouteSection::PanelClick, "click", "color_option_3", DeviceNeed::None,
              log("named second"));
    table.Add(RouteSection::PanelClick, "itemselect", "color_option_3", DeviceNeed::None,
              log("other type"));

    QPushButton button;
    button.setObjectName("Color_Option_3");
    TNotifyUI msg{"click", &button};
    EXPECT_EQ(table.Run(msg, {}), 4);
    EXPECT_EQ(ran, (std::vector<std::string>{"numbered", "named", "named second", "later table"}));
}

TEST(RouteTable, NumberedRoutesGetTheirNumber) {
    CRouteTable table;
    int number = -2;
    table.AddNumbered(RouteSection::NumberedClick, "click", "key_", DeviceNeed::None,
                      [&number](RouteCall& call) { number = call.number; });
    QPushButton button;
    const std::pair<const char*, int> cases[] = {
        {"key_12", 12}, {"KEY_0", 0}, {"key_x", -2}, {"key", -2}, {"mykey_3", -2}};
    for (const auto& [name, expected] : cases) {
        number = -2;
        button.setObjectName(name);
        TNotifyUI msg{"click", &button};
        table.Run(msg, {});
        EXPECT_EQ(number, expected) << name;
    }
}

TEST(RouteTable, RoutesActOnlyForTheDeviceTheyNeed) {
    struct Case {
        DeviceNeed need;
        bool none, keyboard, mouse, pad, headset;
    };
    const Case cases[] = {
        {DeviceNeed::None, true, true, true, true, true},
        {DeviceNeed::AnyDevice, false, true, true, true, true},
        {DeviceNeed::Keyboard, false, true, false, false, false},
        {DeviceNeed::Mouse, false, false, true, false, false},
        {DeviceNeed::KeyboardOrMouse, false, true, true, false, false},
        {DeviceNeed::MousePad, false, false, false, true, false},
        {DeviceNeed::Headset, false, false, false, false, true},
    };
    QWidget device;
    for (const Case& c : cases) {
        EXPECT_EQ(CRouteTable::Satisfies(c.need, {}), c.none);
        EXPECT_EQ(CRouteTable::Satisfies(c.need, {&device, kKeyboardType}), c.keyboard);
        EXPECT_EQ(CRouteTable::Satisfies(c.need, {&device, kMouseType}), c.mouse);
        EXPECT_EQ(CRouteTable::Satisfies(c.need, {&device, kMousePadType}), c.pad);
        EXPECT_EQ(CRouteTable::Satisfies(c.need, {&device, kHeadsetType}), c.headset);
    }
}

TEST(EventDispatcher, AsksForTheCurrentDeviceAndSaysWhetherARouteRan) {
    QWidget keyboard;
    CurrentDevice current;
    CEventDispatcher dispatcher([&current] { return current; });
    QWidget* seen = nullptr;
    dispatcher.Routes().Add(RouteSection::PanelClick, "click", "custom_off_color_btn",
                            DeviceNeed::Keyboard,
                            [&seen](RouteCall& call) { seen = call.current.device; });
    QPushButton button;
    button.setObjectName("custom_off_color_btn");
    TNotifyUI msg{"click", &button};
    EXPECT_FALSE(dispatcher.Dispatch(msg));
    current = {&keyboard, kMouseType};
    EXPECT_FALSE(dispatcher.Dispatch(msg));
    current = {&keyboard, kKeyboardType};
    EXPECT_TRUE(dispatcher.Dispatch(msg));
    EXPECT_EQ(seen, &keyboard);
    TNotifyUI nobody{"click", nullptr};
    EXPECT_FALSE(dispatcher.Dispatch(nobody));

    EXPECT_FALSE(CEventDispatcher::PassesToDefaultHandling("click_wpremove"));
    EXPECT_FALSE(CEventDispatcher::PassesToDefaultHandling("click_wpedit"));
    EXPECT_TRUE(CEventDispatcher::PassesToDefaultHandling("click_wpadd"));
    EXPECT_TRUE(CEventDispatcher::PassesToDefaultHandling("click"));
}

} // namespace
} // namespace vpc::panels
