// Suspend and resume of the machine, from logind's PrepareForSleep signal on the
// system bus; without a system bus the program simply never hears of a suspend.
#pragma once

#include <QObject>

class CPowerEvents : public QObject {
    Q_OBJECT
public:
    explicit CPowerEvents(QObject* parent = nullptr);
    // Whether the logind signal is subscribed.
    bool IsListening() const { return m_listening; }

signals:
    void suspending();
    void resumed();

private slots:
    void OnPrepareForSleep(bool start);

private:
    bool m_listening = false;
};
