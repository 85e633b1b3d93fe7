// Turns SIGTERM, SIGINT and SIGHUP into a clean end of the message loop, so the
// program closes its devices and files when the session ends.
#pragma once

#include <QSocketNotifier>
#include <memory>

class CShutdownSignals {
public:
    CShutdownSignals();
    ~CShutdownSignals();
    CShutdownSignals(const CShutdownSignals&) = delete;
    CShutdownSignals& operator=(const CShutdownSignals&) = delete;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};
