#include "RemoteControl.h"

#include "AppDBusService.h"
#include "CorvaneUSBDevice.h"
#include "DeviceList.h"
#include "DeviceOptionUI.h"
#include "DeviceProfileUI.h"
#include "DeviceTypes.h"
#include "LightControlUI.h"
#include "LightingTarget.h"
#include "MainWnd.h"
#include "ProfileList.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSlider>
#include <vector>

using vpc::devices::CCorvaneUSBDevice;

namespace {

constexpr int kDefaultLevelMaximum = 4; // the brightness and speed sliders of the skin

std::vector<CCorvaneUSBDevice*> ConnectedDevices(const CMainWnd& window) {
    std::vector<CCorvaneUSBDevice*> devices;
    const vpc::devices::CDeviceList* list = window.DeviceList();
    if (!list)
        return devices;
    for (int i = 0; i < list->EntryCount(); ++i) {
        const vpc::devices::CDeviceOptionUI* entry = list->Entry(i);
        if (entry && entry->IsEntryVisible() && entry->Device())
            devices.push_back(entry->Device());
    }
    return devices;
}

QString Compact(const QJsonDocument& document) {
    return QString::fromUtf8(document.toJson(QJsonDocument::Compact));
}

// The panel's slider maximum for brightness or speed (devices set it with their mode list).
int LevelMaximum(CCorvaneUSBDevice* device, const char* sliderName) {
    if (const auto* panel = vpc::panels::LightPanelOf(device))
        if (const auto* slider = panel->findChild<QSlider*>(QString::fromLatin1(sliderName)))
            return slider->maximum();
    return kDefaultLevelMaximum;
}

bool ParseInt(const QString& text, int& value) {
    bool ok = false;
    value = text.trimmed().toInt(&ok, 10);
    return ok;
}

vpc::panels::CDeviceProfileUI* ProfilePanelOf(CCorvaneUSBDevice* device) {
    return device ? device->findChild<vpc::panels::CDeviceProfileUI*>() : nullptr;
}

RemoteResult FindProfile(const vpc::panels::CDeviceProfileUI& panel, const QString& profile,
                         int& index) {
    const vpc::data::CProfileList& list = panel.List();
    const std::string wanted = profile.toStdString();
    index = list.IndexOfId(wanted);
    if (index < 0) {
        for (int i = 0; i < list.Count(); ++i) {
            if (vpc::data::SameProfileName(list.Entries()[static_cast<std::size_t>(i)].name,
                                           wanted)) {
                index = i;
                break;
            }
        }
    }
    if (index < 0)
        return RemoteResult::Fail(RemoteResult::Code::UnknownProfile,
                                  QStringLiteral("no profile named \"%1\"").arg(profile));
    return {};
}

} // namespace

QString RemoteResult::ErrorName() const {
    const char* name = "Failed";
    switch (code) {
    case Code::Ok:
        return {};
    case Code::UnknownDevice:
        name = "UnknownDevice";
        break;
    case Code::OutOfRange:
        name = "OutOfRange";
        break;
    case Code::UnknownProfile:
        name = "UnknownProfile";
        break;
    case Code::Failed:
        break;
    }
    return QString::fromLatin1(kDBusInterfaceName) + ".Error." + QString::fromLatin1(name);
}

QString CRemoteControl::KindName(int deviceType) {
    switch (deviceType) {
    case vpc::panels::kKeyboardType:
        return QStringLiteral("keypad");
    case vpc::panels::kMouseType:
        return QStringLiteral("mouse");
    case vpc::panels::kMousePadType:
        return QStringLiteral("mousepad");
    case vpc::panels::kHeadsetType:
        return QStringLiteral("headset");
    default:
        return QStringLiteral("other");
    }
}

CCorvaneUSBDevice* CRemoteControl::FindDevice(const QString& device, RemoteResult* why) const {
    const std::vector<CCorvaneUSBDevice*> devices = ConnectedDevices(m_window);
    int number = -1;
    if (ParseInt(device, number)) {
        if (number >= 0 && number < static_cast<int>(devices.size()))
            return devices[static_cast<std::size_t>(number)];
        if (why)
            *why = RemoteResult::Fail(
                RemoteResult::Code::UnknownDevice,
                QStringLiteral("no device %1: %2 connected").arg(number).arg(devices.size()));
        return nullptr;
    }
    CCorvaneUSBDevice* found = nullptr;
    int matches = 0;
    for (CCorvaneUSBDevice* candidate : devices) {
        if (KindName(candidate->DeviceType()).compare(device.trimmed(), Qt::CaseInsensitive) == 0) {
            found = candidate;
            ++matches;
        }
    }
    if (matches == 1)
        return found;
    if (why)
        *why = RemoteResult::Fail(
            RemoteResult::Code::UnknownDevice,
            matches == 0 ? QStringLiteral("no connected device \"%1\"").arg(device)
                         : QStringLiteral("%1 devices of kind \"%2\": name one by its number")
                               .arg(matches)
                               .arg(device));
    return nullptr;
}

RemoteResult CRemoteControl::ListDevices() const {
    QJsonArray array;
    const CCorvaneUSBDevice* current = m_window.GetCurrentDevice();
    int id = 0;
    for (CCorvaneUSBDevice* device : ConnectedDevices(m_window)) {
        QJsonObject entry;
        entry["id"] = id++;
        entry["kind"] = KindName(device->DeviceType());
        entry["name"] = device->DeviceName();
        entry["connection"] = device->Connection().IsOnReceiver() ? QStringLiteral("receiver")
                                                                  : QStringLiteral("wired");
        // the battery level is read by the power panel of wireless devices only
        entry["battery"] = QJsonValue::Null;
        entry["lightControl"] = device->IsLightControlled();
        entry["current"] = device == current;
        array.append(entry);
    }
    RemoteResult result;
    result.json = Compact(QJsonDocument(array));
    return result;
}

RemoteResult CRemoteControl::GetLighting(const QString& device) const {
    RemoteResult why;
    CCorvaneUSBDevice* target = FindDevice(device, &why);
    if (!target)
        return why;
    const vpc::data::LightInfo record = vpc::panels::CLightingTarget(target).Record();
    QJsonObject object;
    object["mode"] = record.selectItem;
    object["brightness"] = record.light;
    object["speed"] = record.speed;
    object["direction"] = record.fx;
    object["multiColor"] = record.multiColor != 0;
    object["color"] = QStringLiteral("#%1%2%3")
                          .arg(record.red, 2, 16, QLatin1Char('0'))
                          .arg(record.green, 2, 16, QLatin1Char('0'))
                          .arg(record.blue, 2, 16, QLatin1Char('0'));
    RemoteResult result;
    result.json = Compact(QJsonDocument(object));
    return result;
}

RemoteResult CRemoteControl::SetLighting(const QString& device, const QString& property,
                                         const QString& value) {
    using Code = RemoteResult::Code;
    RemoteResult why;
    CCorvaneUSBDevice* target = FindDevice(device, &why);
    if (!target)
        return why;
    vpc::panels::CLightingTarget lighting(target);
    vpc::data::LightInfo record = lighting.Record();
    const QString name = property.trimmed().toLower();
    int number = 0;
    const auto ranged = [&](int low, int high, std::uint8_t& field) -> RemoteResult {
        if (!ParseInt(value, number) || number < low || number > high)
            return RemoteResult::Fail(Code::OutOfRange, QStringLiteral("%1 \"%2\" is not a whole "
                                                                       "number from %3 to %4")
                                                            .arg(name, value)
                                                            .arg(low)
                                                            .arg(high));
        field = static_cast<std::uint8_t>(number);
        return {};
    };
    RemoteResult checked;
    if (name == "mode") {
        checked = ranged(0, 255, record.selectItem);
        const vpc::panels::CLightControlUI* panel = vpc::panels::LightPanelOf(target);
        if (checked.Ok() && panel && !panel->IsModeItemVisible(record.selectItem))
            checked = RemoteResult::Fail(
                Code::OutOfRange,
                QStringLiteral("mode %1 is not offered by this device").arg(value));
    } else if (name == "brightness") {
        checked = ranged(0, LevelMaximum(target, "deng_light_slider"), record.light);
    } else if (name == "speed") {
        checked = ranged(0, LevelMaximum(target, "deng_speed_slider"), record.speed);
    } else if (name == "direction") {
        checked = ranged(0, 1, record.fx);
    } else if (name == "multicolor") {
        checked = ranged(0, 1, record.multiColor);
    } else if (name == "color") {
        static const QRegularExpression hex(QStringLiteral("^#?([0-9a-fA-F]{6})$"));
        const QRegularExpressionMatch match = hex.match(value.trimmed());
        if (!match.hasMatch())
            return RemoteResult::Fail(Code::OutOfRange,
                                      QStringLiteral("colour \"%1\" is not #rrggbb").arg(value));
        const uint rgb = match.captured(1).toUInt(nullptr, 16);
        record.red = static_cast<std::uint8_t>(rgb >> 16);
        record.green = static_cast<std::uint8_t>(rgb >> 8);
        record.blue = static_cast<std::uint8_t>(rgb);
        record.multiColor = 0;
    } else {
        return RemoteResult::Fail(Code::OutOfRange,
                                  QStringLiteral("unknown lighting property \"%1\" (mode, "
                                                 "brightness, speed, direction, color, multicolor)")
                                      .arg(property));
    }
    if (!checked.Ok())
        return checked;

    // as the panel does for the user: the record is stored and written at once, and the
    // panel shows it
    lighting.ClearSynchronised();
    lighting.Apply(record);
    lighting.Flush();
    if (vpc::panels::CLightControlUI* panel = lighting.Panel()) {
        const vpc::data::LightWords words = vpc::data::ToLightWords(record);
        panel->ShowLightInfo(words[0], words[1], words[2]);
    }
    return GetLighting(device);
}

vpc::panels::CDeviceProfileUI* CRemoteControl::FindProfilePanel(const QString& device,
                                                                RemoteResult* why) const {
    CCorvaneUSBDevice* target = FindDevice(device, why);
    if (!target)
        return nullptr;
    vpc::panels::CDeviceProfileUI* panel = ProfilePanelOf(target);
    if (!panel) {
        *why = RemoteResult::Fail(RemoteResult::Code::Failed,
                                  QStringLiteral("this device keeps no profiles"));
        return nullptr;
    }
    panel->GetProfileCount(); // the list file as it is now
    return panel;
}

RemoteResult CRemoteControl::ListProfiles(const QString& device) const {
    RemoteResult why;
    vpc::panels::CDeviceProfileUI* panel = FindProfilePanel(device, &why);
    if (!panel)
        return why;
    QJsonArray profiles;
    for (const vpc::data::ProfileEntry& entry : panel->List().Entries()) {
        QJsonObject object;
        object["id"] = QString::fromStdString(entry.id);
        object["name"] = QString::fromStdString(entry.name);
        profiles.append(object);
    }
    QJsonObject object;
    object["current"] = QString::fromStdString(panel->List().CurrentId());
    object["profiles"] = profiles;
    RemoteResult result;
    result.json = Compact(QJsonDocument(object));
    return result;
}

RemoteResult CRemoteControl::SwitchProfile(const QString& device, const QString& profile) {
    RemoteResult why;
    vpc::panels::CDeviceProfileUI* panel = FindProfilePanel(device, &why);
    if (!panel)
        return why;
    int index = -1;
    if (RemoteResult found = FindProfile(*panel, profile, index); !found.Ok())
        return found;
    if (!panel->SelectProfile(index, false))
        return RemoteResult::Fail(RemoteResult::Code::Failed,
                                  QStringLiteral("the profile could not be selected"));
    panel->SwitchToSelected();
    return ListProfiles(device);
}

RemoteResult CRemoteControl::ExportProfile(const QString& device, const QString& profile,
                                           const QString& file) {
    RemoteResult why;
    vpc::panels::CDeviceProfileUI* panel = FindProfilePanel(device, &why);
    if (!panel)
        return why;
    int index = -1;
    if (RemoteResult found = FindProfile(*panel, profile, index); !found.Ok())
        return found;
    if (file.isEmpty() || !QDir::isAbsolutePath(file))
        return RemoteResult::Fail(RemoteResult::Code::OutOfRange,
                                  QStringLiteral("the file must be an absolute path"));
    if (!panel->List().Export(index, file.toStdString()))
        return RemoteResult::Fail(RemoteResult::Code::Failed,
                                  QStringLiteral("cannot write %1").arg(file));
    return {};
}

RemoteResult CRemoteControl::ImportProfile(const QString& device, const QString& file) {
    RemoteResult why;
    vpc::panels::CDeviceProfileUI* panel = FindProfilePanel(device, &why);
    if (!panel)
        return why;
    if (file.isEmpty() || !QDir::isAbsolutePath(file))
        return RemoteResult::Fail(RemoteResult::Code::OutOfRange,
                                  QStringLiteral("the file must be an absolute path"));
    if (!panel->ImportProfile(file))
        return RemoteResult::Fail(RemoteResult::Code::Failed,
                                  QStringLiteral("%1 is not a readable profile").arg(file));
    return ListProfiles(device);
}
