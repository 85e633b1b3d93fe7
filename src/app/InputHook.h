// The recording hook: while armed with a hook mode, every key and mouse button event of the
// program's own windows reaches the target window as the registered message of that mode,
// synchronously, with the event's record. Keys are held back from our windows while armed
// (the lock keys excepted); nothing outside the program is touched.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstddef>
#include <cstdint>

class WindowImplBase;

// The record a keyboard message points to (lParam): virtual key, set-1 scan code, flags (bit 0
// the E0 prefix), time in milliseconds.
struct KeyHookRecord {
    std::uint32_t virtualKey = 0;
    std::uint32_t scanCode = 0;
    std::uint32_t flags = 0;
    std::uint32_t time = 0;
};
// The record a mouse message points to (lParam): the screen point and, at byte 20, the mouse
// data whose high 16 bits name the X button (1 the first, 2 the second).
struct MouseHookRecord {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t reserved[3] = {};
    std::uint32_t mouseData = 0;
};
static_assert(offsetof(MouseHookRecord, mouseData) == 20);

class CInputHook : public QObject {
    Q_OBJECT
public:
    explicit CInputHook(QObject* parent = nullptr);
    ~CInputHook() override;

    // Arms the hook with a mode (1, 2, 4, 8, 16, 32); events go to target. Arming again
    // replaces the mode.
    void Arm(int hookMode, WindowImplBase* target);
    // True when it was armed.
    bool Disarm();
    bool IsArmed() const { return m_armed; }
    int HookMode() const { return m_mode; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<WindowImplBase> m_target;
    int m_mode = 0;
    bool m_armed = false;
    // the mouse event last reported, so that its trip up to the parents counts once
    const QEvent* m_lastMouseEvent = nullptr;
    quint64 m_lastMouseTime = 0;
    int m_lastMouseType = 0;
};
