// The per-window control manager: finds controls by name, turns widget interaction
// into notifications for the window, and runs per-control timers on the UI thread.
#pragma once

#include "ControlUI.h"
#include "UiTypes.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <map>
#include <memory>
#include <utility>
#include <vector>

// A control that handles its own timers implements this; unhandled timers become
// "timer" notifications with wParam = timer id.
class ITimerTargetUI {
public:
    virtual ~ITimerTargetUI() = default;
    virtual bool OnControlTimer(int timerId) = 0;
};

class CPaintManagerUI : public QObject {
    Q_OBJECT
public:
    explicit CPaintManagerUI(QObject* parent = nullptr);
    // A control with this property set raises its own enter, leave, double-click
    // and context-menu events; the manager leaves those to it.
    static constexpr const char* kOwnPointerEventsProperty = "vpcOwnPointerEvents";
    ~CPaintManagerUI() override;

    void SetRoot(QWidget* root);
    QWidget* GetRoot() const { return m_root; }
    // Connects the controls of a subtree that was added after SetRoot.
    void AttachSubtree(QWidget* subtree);

    CControlUI FindControl(const QString& name) const;
    CControlUI FindSubControlByName(QWidget* parent, const QString& name) const;
    template <typename T> T* FindControlAs(const QString& name) const {
        return FindControl(name).as<T>();
    }

    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);

    bool SetTimer(QWidget* control, int timerId, int elapseMs);
    bool KillTimer(QWidget* control, int timerId);
    void KillTimers(QWidget* control);
    bool HasTimer(QWidget* control, int timerId) const;

    void SendNotify(QWidget* control, const QString& type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false);
    void SendNotify(const TNotifyUI& msg, bool async = false);

    // Screen DPI: 96 is scale 1.0.
    int GetDPI() const { return m_dpi; }
    void SetDPI(int dpi);
    double GetDPIScale() const { return m_dpi / 96.0; }
    int ScaleValue(int value) const;

    // Folder of the running program, ending with a slash.
    static QString GetInstancePath();
    // The manager that a control belongs to, or null.
    static CPaintManagerUI* FromControl(const QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WireControl(QWidget* control);
    void Emit(QWidget* sender, const QString& type, WPARAM wParam = 0, LPARAM lParam = 0);
    void Deliver(TNotifyUI msg);
    void OnTimerFired(QWidget* control, int timerId);

    QPointer<QWidget> m_root;
    std::vector<INotifyUI*> m_notifiers;
    std::map<std::pair<const QWidget*, int>, std::unique_ptr<QTimer>> m_timers;
    int m_dpi = 96;
};
