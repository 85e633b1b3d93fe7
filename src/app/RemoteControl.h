// What vorna-ctl and other programs may do to the devices of the main window over D-Bus:
// every request checked first, then carried out the way the panels carry out the user's own.
#pragma once

#include <QJsonObject>
#include <QString>

class CMainWnd;

namespace vpc::devices {
class CCorvaneUSBDevice;
}
namespace vpc::panels {
class CDeviceProfileUI;
}

// The outcome of one request: the D-Bus error it becomes when not Ok.
struct RemoteResult {
    enum class Code { Ok, UnknownDevice, OutOfRange, UnknownProfile, Failed };
    Code code = Code::Ok;
    QString message;
    QString json; // the answer of a query, as compact JSON

    static RemoteResult Fail(Code code, QString message) { return {code, std::move(message), {}}; }
    bool Ok() const { return code == Code::Ok; }
    // "com.vornapad.QMT58ControlCenter.Error.<name>"
    QString ErrorName() const;
};

class CRemoteControl {
public:
    explicit CRemoteControl(CMainWnd& window) : m_window(window) {}

    // [{"id": 0, "kind": "keypad", "name": ..., "connection": "wired"|"receiver",
    //   "battery": null, "lightControl": true, "current": true}, ...] of the connected devices.
    RemoteResult ListDevices() const;
    // {"mode", "brightness", "speed", "direction", "color": "#rrggbb", "multiColor"}
    RemoteResult GetLighting(const QString& device) const;
    // property: "mode", "brightness", "speed", "direction", "color" (value #rrggbb) or
    // "multicolor" (0 or 1). Nothing changes unless the value is valid for the device.
    RemoteResult SetLighting(const QString& device, const QString& property, const QString& value);
    // {"current": id, "profiles": [{"id", "name"}, ...]}
    RemoteResult ListProfiles(const QString& device) const;
    // profile: an id or a name (names compare as the profile list compares them).
    RemoteResult SwitchProfile(const QString& device, const QString& profile);
    RemoteResult ExportProfile(const QString& device, const QString& profile, const QString& file);
    RemoteResult ImportProfile(const QString& device, const QString& file);

    // The device a request names: its number in ListDevices or its kind when only one
    // connected device has that kind; null with the reason in why.
    vpc::devices::CCorvaneUSBDevice* FindDevice(const QString& device, RemoteResult* why) const;
    // The profile panel of that device, its list read again from its file; null with the
    // reason in why.
    vpc::panels::CDeviceProfileUI* FindProfilePanel(const QString& device, RemoteResult* why) const;
    static QString KindName(int deviceType);

private:
    CMainWnd& m_window;
};
