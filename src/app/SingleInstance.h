// Makes sure one instance of the program runs per user session: ownership of the
// program's D-Bus name, or a lock file when there is no session bus.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

class CAppDBusService;

class CSingleInstance {
public:
    enum class Outcome { FirstInstance, AlreadyRunning };

    CSingleInstance();
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // Claims the instance. A second start tells the first to come to the front and
    // gets AlreadyRunning. When nothing can be claimed the program runs as first.
    Outcome Acquire();
    // The bus object of the first instance (null without a session bus).
    CAppDBusService* Service() const { return m_service.get(); }
    bool UsesSessionBus() const { return m_ownsName; }
    void Release();

private:
    Outcome AcquireLockFile();

    std::unique_ptr<CAppDBusService> m_service;
    std::unique_ptr<QLockFile> m_lockFile;
    bool m_ownsName = false;
};
