#include "InputHook.h"

#include "AppMessages.h"
#include "MacroTables.h"
#include "WindowImplBase.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

constexpr std::uint32_t kKeyDown = 0x100;
constexpr std::uint32_t kKeyUp = 0x101;
constexpr std::uint32_t kSystemKeyDown = 0x104;
constexpr std::uint32_t kSystemKeyUp = 0x105;
// X11 and Wayland key codes are the Linux input codes plus 8.
constexpr quint32 kXkbKeycodeOffset = 8;

// The registered messages of a hook mode: keyboard and mouse (0 for none).
std::pair<UINT, UINT> MessagesOf(int mode) {
    const CAppMessages& m = AppMessages();
    switch (mode) {
    case 1:
        return {m.hookKeySingleKey, 0};
    case 2:
        return {m.hookKeyHitKey, 0};
    case 4:
        return {m.hookKeyKbMacro, m.hookKeyMsMacro};
    case 8:
        return {m.hookKeyKbMacroPrevious, m.hookKeyMsMacroPrevious};
    case 16:
        return {m.hookKeyKbMacroLater, m.hookKeyMsMacroLater};
    case 32:
        return {m.hookKeyKbMacroSingle, m.hookKeyMsMacroSingle};
    default:
        return {0, 0};
    }
}

bool IsLockKey(int key) {
    return key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock;
}

std::uint32_t MouseMessage(Qt::MouseButton button, bool down, std::uint32_t& xButton) {
    xButton = 0;
    switch (button) {
    case Qt::LeftButton:
        return down ? 0x0201 : 0x0202;
    case Qt::RightButton:
        return down ? 0x0204 : 0x0205;
    case Qt::MiddleButton:
        return down ? 0x0207 : 0x0208;
    case Qt::BackButton:
        xButton = 1;
        return down ? 0x020B : 0x020C;
    case Qt::ForwardButton:
        xButton = 2;
        return down ? 0x020B : 0x020C;
    default:
        return 0;
    }
}

} // namespace

CInputHook::CInputHook(QObject* parent) : QObject(parent) {}

CInputHook::~CInputHook() {
    Disarm();
}

void CInputHook::Arm(int hookMode, WindowImplBase* target) {
    m_mode = hookMode;
    m_target = target;
    if (!m_armed && qApp)
        qApp->installEventFilter(this);
    m_armed = true;
}

bool CInputHook::Disarm() {
    if (!m_armed)
        return false;
    if (qApp)
        qApp->removeEventFilter(this);
    m_armed = false;
    m_target = nullptr;
    return true;
}

bool CInputHook::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (!m_armed || !m_target)
        return false;
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && watched->isWidgetType()) {
        // the first delivery goes to the focus widget; held back there, no parent sees it
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsLockKey(key->key()))
            return false; // the lock keys work as always
        if (key->isAutoRepeat())
            return true;
        const auto [message, unused] = MessagesOf(m_mode);
        const quint32 native = key->nativeScanCode();
        const std::optional<vpc::panels::macro::ScanCode> code =
            native > kXkbKeycodeOffset ? vpc::panels::macro::LinuxKeyToScanCode(
                                             static_cast<std::uint16_t>(native - kXkbKeycodeOffset))
                                       : std::nullopt;
        if (message != 0 && code) {
            KeyHookRecord record;
            record.virtualKey = key->nativeVirtualKey();
            record.scanCode = code->code;
            record.flags = code->extended ? 1 : 0;
            record.time = static_cast<std::uint32_t>(key->timestamp());
            const bool alt =
                key->modifiers().testFlag(Qt::AltModifier) && key->key() != Qt::Key_Alt;
            const std::uint32_t wParam = type == QEvent::KeyPress
                                             ? (alt ? kSystemKeyDown : kKeyDown)
                                             : (alt ? kSystemKeyUp : kKeyUp);
            m_target->SendMessage(message, wParam, reinterpret_cast<LPARAM>(&record));
        }
        return true;
    }
    if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) &&
        watched->isWidgetType()) {
        // once per event: a click a widget ignores goes on to its parents as the same event
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse == m_lastMouseEvent && mouse->timestamp() == m_lastMouseTime &&
            type == m_lastMouseType)
            return false;
        m_lastMouseEvent = mouse;
        m_lastMouseTime = mouse->timestamp();
        m_lastMouseType = type;
        std::uint32_t xButton = 0;
        const std::uint32_t message =
            MouseMessage(mouse->button(), type == QEvent::MouseButtonPress, xButton);
        const auto [unused, target] = MessagesOf(m_mode);
        if (message != 0 && target != 0) {
            MouseHookRecord record;
            const QPoint global = mouse->globalPosition().toPoint();
            record.x = global.x();
            record.y = global.y();
            record.mouseData = xButton << 16;
            m_target->SendMessage(target, message, reinterpret_cast<LPARAM>(&record));
        }
    }
    return false;
}
