#include "LightingTarget.h"

#include "LightControlUI.h"
#include "LightRecordWords.h"
#include "LightWriteThrottle.h"

#include "CorvaneKeyboardDevice.h"
#include "CorvaneUSBDevice.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace vpc::panels {

namespace {

constexpr const char* kThrottleName = "lightWriteThrottle";

// The screen the device's window is on, in physical pixels.
QSize ScreenSize(const QWidget* device) {
    const QScreen* screen = device && device->window() ? device->window()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() * screen->devicePixelRatio() : QSize();
}

} // namespace

CLightingTarget::CLightingTarget(QWidget* device)
    : m_device(qobject_cast<devices::CCorvaneUSBDevice*>(device)),
      m_keyboard(qobject_cast<devices::CCorvaneKeyboardDevice*>(device)),
      m_panel(LightPanelOf(device)) {}

data::LightInfo CLightingTarget::Record() const {
    if (m_keyboard)
        return m_keyboard->ProfileData().GetLightInfo();
    if (!m_device)
        return {};
    const devices::DeviceLightRecord r = m_device->LightState().Record();
    data::LightInfo info;
    info.selectItem = r.mode;
    info.light = r.brightness;
    info.speed = r.speed;
    info.fx = r.direction;
    info.multiColor = r.multiColor;
    info.red = r.red;
    info.green = r.green;
    info.blue = r.blue;
    return info;
}

void CLightingTarget::Store(const data::LightInfo& record) {
    if (!m_device)
        return;
    const LightWords words = ToLightWords(record);
    m_device->SetLightInfo(words[0], words[1], words[2], words[3]);
}

void CLightingTarget::Commit() {
    if (!m_device)
        return;
    const QSize screen = ScreenSize(m_device);
    m_device->SaveProfile();
    m_device->ApplyLightSettings();
    m_device->WriteOnboardProfile(0, 0, 1, screen.width(), screen.height());
}

CLightWriteThrottle* CLightingTarget::Throttle() const {
    if (!m_device)
        return nullptr;
    if (auto* existing = m_device->findChild<CLightWriteThrottle*>(
            QString::fromLatin1(kThrottleName), Qt::FindDirectChildrenOnly))
        return existing;
    QPointer<QWidget> device = m_device;
    auto* throttle = new CLightWriteThrottle( // owned by the device
        [device] {
            if (device)
                CLightingTarget(device).Commit();
        },
        m_device);
    throttle->setObjectName(QString::fromLatin1(kThrottleName));
    return throttle;
}

void CLightingTarget::Apply(const data::LightInfo& record) {
    if (!m_device)
        return;
    Store(record);
    Throttle()->Request();
}

void CLightingTarget::Flush() {
    if (CLightWriteThrottle* throttle = m_device ? Throttle() : nullptr)
        throttle->Flush();
}

void CLightingTarget::ClearSynchronised() {
    if (m_device)
        m_device->SetSynchronised(false);
}

void CLightingTarget::ColourLights(const std::vector<int>& lights) {
    if (!m_keyboard || lights.empty())
        return;
    Flush();
    for (const int light : lights)
        m_keyboard->SetCustomKeyColor(light);
}

} // namespace vpc::panels
