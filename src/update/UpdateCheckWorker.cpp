#include "UpdateCheckWorker.h"

#include <memory>

#include <QMetaObject>

#include "HttpClient.h"
#include "UpdateCheck.h"

namespace vpc::update {

UpdateCheckWorker::UpdateCheckWorker(QObject* context, Receiver receiver)
    : m_context(context), m_receiver(std::move(receiver)) {}

UpdateCheckWorker::~UpdateCheckWorker() {
    Stop();
}

bool UpdateCheckWorker::Start(std::vector<UpdateEntry> entries, UpdateServerConfig config) {
    if (m_thread.joinable() || m_context == nullptr)
        return false;
    *m_stop = false;
    m_thread =
        std::thread([this, entries = std::move(entries), config = std::move(config)]() mutable {
            Run(std::move(entries), std::move(config));
        });
    return true;
}

void UpdateCheckWorker::Stop() {
    *m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void UpdateCheckWorker::Post(std::function<void()> call) {
    if (*m_stop)
        return;
    // A stop between now and the call's turn on the context's thread drops the call there.
    QMetaObject::invokeMethod(
        m_context,
        [call = std::move(call), stop = m_stop] {
            if (!stop->load())
                call();
        },
        Qt::QueuedConnection);
}

void UpdateCheckWorker::Run(std::vector<UpdateEntry> entries, UpdateServerConfig config) {
    // A device list longer than the table stops at its size.
    if (entries.size() > UpdateTable.size())
        entries.resize(UpdateTable.size());
    const int count = static_cast<int>(entries.size());
    Post([r = m_receiver] {
        if (r.setState)
            r.setState(kStateChecking);
    });
    for (const UpdateEntry& entry : entries) {
        const UpdateResult placeholder = PlaceholderResult(entry);
        Post([r = m_receiver, placeholder] {
            if (r.addRow)
                r.addRow(placeholder);
        });
    }

    CHttpClient client;
    client.SetCancelFlag(m_stop.get());
    int failures = 0;
    for (int k = 0; k < count && !*m_stop; ++k) {
        const UpdateEntry& entry = entries[static_cast<size_t>(k)];
        UpdateResult result;
        if (config.ok()) {
            result = CheckUpdate(client, config, MakeAppKey(entry), entry.version, entry.kind);
        } else {
            result.failed = true;
        }
        if (*m_stop)
            return;
        if (result.failed) {
            ++failures;
            result.name.clear();
        }
        result.answered = !result.name.empty();
        if (result.name.empty()) {
            const UpdateResult placeholder = PlaceholderResult(entry);
            result.name = placeholder.name;
            result.localVersionText = placeholder.localVersionText;
            result.newVersionText = placeholder.newVersionText;
            result.status = placeholder.status;
        }
        result.name = entry.rowName;
        Post([r = m_receiver, result, k] {
            if (r.setRow)
                r.setRow(result, k);
        });
    }
    if (*m_stop)
        return;
    Post([r = m_receiver, failures, count] {
        if (r.finished)
            r.finished(failures, count);
    });
}

} // namespace vpc::update
