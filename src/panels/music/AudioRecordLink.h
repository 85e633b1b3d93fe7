// The main program's link to its capture companion: starting it from the program folder, the
// socket connection (hello, screen colours and levels on, the style), the stop commands, the
// records that come back, and the watchdog thread that restarts a companion that is gone.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <span>
#include <string>
#include <thread>

#include <sys/types.h>

namespace vpc::panels {

class CAudioRecordLink : public QObject {
    Q_OBJECT
public:
    // What goes wrong, each said once per run.
    enum class Problem { Missing, Stopped, NotAnswering, BadRecord };

    struct Handlers {
        std::function<void(std::span<const std::uint8_t>)> levels;       // tag 1 payload
        std::function<void(std::span<const std::uint8_t>)> screenColors; // tag 2 payload
        std::function<void(Problem, const QString&)> problem;            // on the UI thread
        std::function<std::array<std::uint8_t, 40>()> style;             // sent after a connect
    };

    static constexpr std::chrono::milliseconds kWatchdogPass{1000};
    static constexpr std::chrono::milliseconds kAfterLaunch{500};
    static constexpr std::chrono::milliseconds kAnswerLimit{3000};
    static constexpr std::chrono::seconds kLongestBackOff{30};

    // program: the companion's path; runtimeFolder: where its lock and socket are.
    CAudioRecordLink(std::string program, std::string runtimeFolder, Handlers handlers,
                     QObject* parent = nullptr);
    ~CAudioRecordLink() override;

    // The companion beside this program (VPC_AUDIO_CAPTURE_PROGRAM overrides it; in a build
    // tree it sits beside the main program too).
    static std::string FindProgram();

    // Starts the companion (no parameters, its output to ours); false when it cannot start.
    bool LaunchAudioRecord();
    // Connects to the companion's socket and sends 0 (with our process id), 3, 1 and the
    // style; false when nobody listens. On the UI thread.
    bool ConnectAudioRecord();
    // Sends 2, 4 and 5 when connected: the companion stops and ends (the watchdog starts a new
    // one).
    void StopAudioRecord();
    // Which captures the companion runs (both at first): a connection starts these and stops
    // the others; a change is sent at once when connected. On the UI thread.
    void SetCaptureWanted(bool levels, bool screenColors);
    bool LevelsWanted() const { return m_wantLevels.load(); }
    bool ScreenColorsWanted() const { return m_wantScreenColors.load(); }
    // A command (the slider values 6, 7, 8) or the style record; false when not connected or the
    // companion does not take it now.
    bool SendCommand(std::int32_t command, std::int32_t value);
    bool SendMusicStyle(const std::array<std::uint8_t, 40>& record);

    void StartWatchdog();
    // Signals the watchdog's exit event and joins it (it waits at most one pass).
    void StopWatchdog();
    bool IsConnected() const;
    bool IsWatchdogRunning() const { return m_watchdog.joinable(); }
    // Whether the watchdog sleeps without passes (connected to a companion that answered, or no
    // runtime folder to connect in).
    bool IsWatchdogSettled() const {
        const std::lock_guard lock(m_mutex);
        return m_settled;
    }
    int Launches() const { return m_launches; }
    int WatchdogPasses() const { return m_passes; }
    pid_t ChildPid() const { return m_child; }
    // Whether a companion holds the session's instance lock.
    bool CompanionRunning() const;

private:
    void WatchdogLoop();
    void WatchdogPass();
    // The watchdog's wait before its next pass.
    std::chrono::milliseconds PassDelay() const;
    // Both on any thread: a connected socket with the greeting sent, or -1.
    int OpenConnection();
    // UI thread: takes a connected socket.
    void Adopt(int fd);
    void Disconnect(bool unexpected);
    void OnReadable();
    void Report(Problem problem, const QString& text);
    // Sends the hello again and has the watchdog wait for its answer.
    void AskForAnswer();
    void ReapChild();
    void EndChild();
    bool SendRecord(const void* data, std::size_t length);

    const std::string m_program;
    const std::string m_runtimeFolder;
    Handlers m_handlers;

    mutable std::mutex m_mutex; // m_fd, m_connecting, the exit flag; m_answered is set under it
    int m_fd = -1;
    bool m_connecting = false;
    bool m_exit = false;
    bool m_settled = false;
    std::condition_variable m_exitEvent;
    std::thread m_watchdog;

    QPointer<QSocketNotifier> m_notifier; // UI thread
    std::atomic<bool> m_answered{false};
    std::atomic<bool> m_wantLevels{true};
    std::atomic<bool> m_wantScreenColors{true};
    std::atomic<std::int64_t> m_connectedAt{0}; // steady clock, ms
    std::atomic<std::int64_t> m_helloAt{0};     // the hello last sent, steady clock, ms
    std::atomic<bool> m_stopRequested{false};
    std::atomic<pid_t> m_child{0};
    std::atomic<int> m_launches{0};
    std::atomic<int> m_passes{0};
    std::chrono::steady_clock::time_point m_nextLaunch{}; // watchdog thread
    bool m_launchFailed = false;                          // watchdog thread
    std::atomic<std::int64_t> m_backOffMs{1000};
    std::atomic<bool> m_killedHung{false};
    std::set<Problem> m_reported; // UI thread
};

} // namespace vpc::panels
