// The download stage of the update check: fetches a row's package into the update folder
// under the row's own name, checks its size and SHA-256, and reports progress.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QObject>

#include "HttpClient.h"

namespace vpc::update {

// A package larger than this is refused when the reply does not give its size.
inline constexpr long long kMaxPackageSize = 512ll * 1024 * 1024;

struct DownloadOutcome {
    bool ok = false;
    std::string error; // in plain words, when !ok
};

// Downloads `url` to `target` (the file appears only once it is complete and verified; an
// old file there is replaced only then). `expectedSize` < 0 and an empty `expectedSha256`
// (lower-case hexadecimal) are not checked.
DownloadOutcome DownloadPackage(CHttpClient& client, const std::string& url,
                                const std::filesystem::path& target, long long expectedSize,
                                const std::string& expectedSha256,
                                const std::function<void(int percent)>& progress);

// One row to download.
struct DownloadJob {
    int row = -1;
    std::string url;
    std::filesystem::path target;
    long long expectedSize = -1;
    std::string expectedSha256;
};

// Runs the downloads one after another on its own thread and reports to the context's
// thread through queued calls: the row becoming current, its progress and its end.
class UpdateDownloadWorker {
public:
    struct Receiver {
        std::function<void(int row)> started;
        std::function<void(int row, int percent)> progress;
        std::function<void(int row, const DownloadOutcome&)> finished;
        std::function<void()> allDone;
    };

    UpdateDownloadWorker(QObject* context, Receiver receiver, std::string caFile = {});
    ~UpdateDownloadWorker(); // Stop()
    UpdateDownloadWorker(const UpdateDownloadWorker&) = delete;
    UpdateDownloadWorker& operator=(const UpdateDownloadWorker&) = delete;

    bool Start(std::vector<DownloadJob> jobs);
    // Ends the running download through libcurl (its partial file is removed) and waits.
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }

private:
    void Run(std::vector<DownloadJob> jobs);
    void Post(std::function<void()> call);

    QObject* const m_context;
    Receiver m_receiver;
    std::string m_caFile;
    const std::shared_ptr<std::atomic<bool>> m_stop = std::make_shared<std::atomic<bool>>(false);
    std::thread m_thread;
};

} // namespace vpc::update
