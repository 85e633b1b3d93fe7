#include "UpdateDownload.h"

#include <QCryptographicHash>
#include <QMetaObject>
#include <QSaveFile>

namespace vpc::update {

DownloadOutcome DownloadPackage(CHttpClient& client, const std::string& url,
                                const std::filesystem::path& target, long long expectedSize,
                                const std::string& expectedSha256,
                                const std::function<void(int percent)>& progress) {
    DownloadOutcome outcome;
    if (target.empty()) {
        outcome.error = "there is no update folder to download into";
        return outcome;
    }
    QSaveFile file(QString::fromStdString(target.string()));
    if (!file.open(QIODevice::WriteOnly)) {
        outcome.error = "cannot write " + target.string() + ": " + file.errorString().toStdString();
        return outcome;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const long long limit = expectedSize >= 0 ? expectedSize : kMaxPackageSize;
    long long received = 0;
    bool writeFailed = false;
    bool tooLarge = false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const auto sink = [&](std::span<const char> chunk) {
        received += static_cast<long long>(chunk.size());
        if (received > limit) {
            tooLarge = true;
            return false;
        }
        hash.addData(QByteArrayView(chunk.data(), static_cast<qsizetype>(chunk.size())));
        if (file.write(chunk.data(), static_cast<qint64>(chunk.size())) !=
            static_cast<qint64>(chunk.size())) {
            writeFailed = true;
            return false;
        }
        return true;
    };
    const bool fetched = client.Download(url, sink, progress);
    const HttpOutcome& http = client.LastOutcome();
    if (tooLarge) {
        outcome.error = "the package is larger than announced";
    } else if (writeFailed) {
        outcome.error = "cannot write " + target.string() + ": " + file.errorString().toStdString();
    } else if (http.cancelled) {
        outcome.error = "the download was cancelled";
    } else if (!http.sent) {
        outcome.error = "the update server cannot be reached";
    } else if (!fetched) {
        outcome.error = "the download failed (HTTP status " + std::to_string(http.statusCode) +
                        ", transfer error " + std::to_string(http.curlCode) + ")";
    } else if (expectedSize >= 0 && received != expectedSize) {
        outcome.error = "the package is shorter than announced";
    } else if (!expectedSha256.empty() && hash.result().toHex().toStdString() != expectedSha256) {
        outcome.error = "the package's SHA-256 does not match: it is corrupted or forged";
    } else if (!file.commit()) {
        outcome.error = "cannot save " + target.string() + ": " + file.errorString().toStdString();
        return outcome;
    } else {
        outcome.ok = true;
        return outcome;
    }
    file.cancelWriting();
    return outcome;
}

UpdateDownloadWorker::UpdateDownloadWorker(QObject* context, Receiver receiver, std::string caFile)
    : m_context(context), m_receiver(std::move(receiver)), m_caFile(std::move(caFile)) {}

UpdateDownloadWorker::~UpdateDownloadWorker() {
    Stop();
}

bool UpdateDownloadWorker::Start(std::vector<DownloadJob> jobs) {
    if (m_thread.joinable() || m_context == nullptr)
        return false;
    *m_stop = false;
    m_thread = std::thread([this, jobs = std::move(jobs)]() mutable { Run(std::move(jobs)); });
    return true;
}

void UpdateDownloadWorker::Stop() {
    *m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void UpdateDownloadWorker::Post(std::function<void()> call) {
    if (*m_stop)
        return;
    QMetaObject::invokeMethod(
        m_context,
        [call = std::move(call), stop = m_stop] {
            if (!stop->load())
                call();
        },
        Qt::QueuedConnection);
}

void UpdateDownloadWorker::Run(std::vector<DownloadJob> jobs) {
    CHttpClient client;
    client.SetCancelFlag(m_stop.get());
    client.Settings().caFile = m_caFile;
    for (const DownloadJob& job : jobs) {
        if (*m_stop)
            return;
        const Receiver& r = m_receiver;
        Post([r, row = job.row] {
            if (r.started)
                r.started(row);
        });
        const DownloadOutcome outcome =
            DownloadPackage(client, job.url, job.target, job.expectedSize, job.expectedSha256,
                            [this, r, row = job.row](int percent) {
                                Post([r, row, percent] {
                                    if (r.progress)
                                        r.progress(row, percent);
                                });
                            });
        Post([r, row = job.row, outcome] {
            if (r.finished)
                r.finished(row, outcome);
        });
    }
    Post([r = m_receiver] {
        if (r.allDone)
            r.allDone();
    });
}

} // namespace vpc::update
