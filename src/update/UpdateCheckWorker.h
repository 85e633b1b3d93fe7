// The update check's worker thread: asks the server about each entry in turn and reports the
// rows and the outcome to the settings window through queued calls on the window's thread.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include <QObject>

#include "UpdateServerConfig.h"
#include "UpdateTypes.h"

namespace vpc::update {

class UpdateCheckWorker {
public:
    // Every callback runs on the thread of `context`, never on the worker's.
    struct Receiver {
        std::function<void(int state)> setState;
        std::function<void(const UpdateResult&)> addRow;
        std::function<void(const UpdateResult&, int row)> setRow;
        // The checks are over: `failures` of `count` entries could not be checked.
        std::function<void(int failures, int count)> finished;
    };

    UpdateCheckWorker(QObject* context, Receiver receiver);
    ~UpdateCheckWorker(); // Stop()
    UpdateCheckWorker(const UpdateCheckWorker&) = delete;
    UpdateCheckWorker& operator=(const UpdateCheckWorker&) = delete;

    // Starts the checks of at most four entries on a new thread (once per worker).
    bool Start(std::vector<UpdateEntry> entries, UpdateServerConfig config);
    // Ends the running request through libcurl and waits for the thread. Nothing more is
    // reported afterwards.
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }

private:
    void Run(std::vector<UpdateEntry> entries, UpdateServerConfig config);
    void Post(std::function<void()> call);

    // The owner of the context stops the worker before the context goes.
    QObject* const m_context;
    Receiver m_receiver;
    // Shared with the calls still queued on the context's thread, which a stop cancels.
    const std::shared_ptr<std::atomic<bool>> m_stop = std::make_shared<std::atomic<bool>>(false);
    std::thread m_thread;
};

} // namespace vpc::update
