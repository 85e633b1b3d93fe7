#include "AudioRecordLink.h"

#include "AudioCaptureProtocol.h"

#include <QMetaObject>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vpc::panels {

namespace ac = vpc::audiocapture;
using namespace std::chrono_literals;

namespace {

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool Executable(const std::string& path) {
    return !path.empty() && access(path.c_str(), X_OK) == 0 &&
           std::filesystem::is_regular_file(path);
}

} // namespace

CAudioRecordLink::CAudioRecordLink(std::string program, std::string runtimeFolder,
                                   Handlers handlers, QObject* parent)
    : QObject(parent), m_program(std::move(program)), m_runtimeFolder(std::move(runtimeFolder)),
      m_handlers(std::move(handlers)) {}

CAudioRecordLink::~CAudioRecordLink() {
    StopWatchdog();
    m_stopRequested = true;
    Disconnect(false); // a connected companion ends when the connection goes
    EndChild();
}

void CAudioRecordLink::EndChild() {
    const pid_t pid = m_child;
    if (pid <= 0)
        return;
    // ours, and not needed any more: asked to end, and made to after a second
    kill(pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            m_child = 0;
            return;
        }
        std::this_thread::sleep_for(20ms);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    m_child = 0;
}

std::string CAudioRecordLink::FindProgram() {
    if (const char* chosen = std::getenv("VPC_AUDIO_CAPTURE_PROGRAM"); chosen && *chosen)
        return chosen;
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::string beside = (self.parent_path() / ac::kProgramName).string();
        if (Executable(beside))
            return beside;
    }
#ifdef VPC_AUDIO_CAPTURE_BUILD_PATH
    if (Executable(VPC_AUDIO_CAPTURE_BUILD_PATH))
        return VPC_AUDIO_CAPTURE_BUILD_PATH;
#endif
    return error ? std::string(ac::kProgramName) : (self.parent_path() / ac::kProgramName).string();
}

bool CAudioRecordLink::LaunchAudioRecord() {
    ReapChild();
    if (m_child > 0)
        return true; // ours still runs
    const auto missing = [this](const QString& why) {
        const QString text = QStringLiteral("the capture companion %1 cannot be started (%2); "
                                            "music and screen colour lighting wait for it")
                                 .arg(QString::fromStdString(m_program), why);
        QMetaObject::invokeMethod(
            this, [this, text] { Report(Problem::Missing, text); }, Qt::QueuedConnection);
        return false;
    };
    if (m_runtimeFolder.empty())
        return missing(QStringLiteral("XDG_RUNTIME_DIR is not set: no place for its socket"));
    if (!Executable(m_program))
        return missing(QStringLiteral("no such program"));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    char* argv[] = {const_cast<char*>(m_program.c_str()), nullptr};
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, m_program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        return missing(QString::fromLocal8Bit(std::strerror(failed)));
    m_child = pid;
    ++m_launches;
    return true;
}

bool CAudioRecordLink::CompanionRunning() const {
    if (m_runtimeFolder.empty())
        return false;
    const int fd = open(ac::LockPath(m_runtimeFolder).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // a shared lock for a moment: refused while the companion holds its own
    const bool held = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd); // drops the shared lock, if taken
    return held;
}

void CAudioRecordLink::ReapChild() {
    const pid_t pid = m_child;
    if (pid <= 0)
        return;
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != pid)
        return;
    m_child = 0;
    const bool crashed = !m_killedHung.exchange(false) &&
                         (WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) != 0));
    if (crashed) {
        const QString text =
            WIFSIGNALED(status)
                ? QStringLiteral("the capture companion ended with signal %1; it is restarted")
                      .arg(WTERMSIG(status))
                : QStringLiteral("the capture companion ended with code %1; it is restarted")
                      .arg(WEXITSTATUS(status));
        QMetaObject::invokeMethod(
            this, [this, text] { Report(Problem::Stopped, text); }, Qt::QueuedConnection);
    }
}

int CAudioRecordLink::OpenConnection() {
    if (m_runtimeFolder.empty())
        return -1;
    const std::string path = ac::SocketPath(m_runtimeFolder);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    const auto command = [fd](std::int32_t c, std::int32_t value) {
        const std::array<std::int32_t, 3> record{static_cast<std::int32_t>(ac::kTagCommand), c,
                                                 value};
        return send(fd, record.data(), sizeof(record), MSG_DONTWAIT | MSG_NOSIGNAL) ==
               static_cast<ssize_t>(sizeof(record));
    };
    // the captures nobody needs stay off: an idle companion costs nothing
    const bool greeted =
        command(ac::kCmdHello, static_cast<std::int32_t>(getpid())) &&
        command(m_wantScreenColors ? ac::kCmdStartScreenColors : ac::kCmdStopScreenColors, 0) &&
        command(m_wantLevels ? ac::kCmdStartLevels : ac::kCmdStopLevels, 0);
    if (!greeted) {
        close(fd);
        return -1;
    }
    return fd;
}

bool CAudioRecordLink::ConnectAudioRecord() {
    {
        const std::lock_guard lock(m_mutex);
        if (m_fd >= 0)
            return true;
        if (m_connecting)
            return false;
        m_connecting = true;
    }
    const int fd = OpenConnection();
    {
        const std::lock_guard lock(m_mutex);
        m_connecting = false;
    }
    if (fd < 0)
        return false;
    Adopt(fd);
    return true;
}

void CAudioRecordLink::Adopt(int fd) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_fd >= 0) { // connected meanwhile
            close(fd);
            return;
        }
        m_fd = fd;
        m_answered = false;
        m_connectedAt = NowMs();
        m_helloAt = m_connectedAt.load();
    }
    m_stopRequested = false;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CAudioRecordLink::OnReadable);
    if (m_handlers.style)
        SendMusicStyle(m_handlers.style());
}

void CAudioRecordLink::SetCaptureWanted(bool levels, bool screenColors) {
    const bool screenStarts = m_wantScreenColors.exchange(screenColors) != screenColors;
    if (screenStarts)
        SendCommand(screenColors ? ac::kCmdStartScreenColors : ac::kCmdStopScreenColors, 0);
    const bool levelsStart = m_wantLevels.exchange(levels) != levels;
    if (levelsStart)
        SendCommand(levels ? ac::kCmdStartLevels : ac::kCmdStopLevels, 0);
    if ((screenStarts && screenColors) || (levelsStart && levels))
        AskForAnswer(); // a capture is needed now: a companion that hung meanwhile is found
}

void CAudioRecordLink::AskForAnswer() {
    {
        const std::lock_guard lock(m_mutex);
        if (m_fd < 0)
            return;
        m_answered = false;
        m_helloAt = NowMs();
    }
    m_exitEvent.notify_all(); // the settled watchdog watches again until the answer comes
    SendCommand(ac::kCmdHello, static_cast<std::int32_t>(getpid()));
}

bool CAudioRecordLink::IsConnected() const {
    const std::lock_guard lock(m_mutex);
    return m_fd >= 0;
}

void CAudioRecordLink::Disconnect(bool unexpected) {
    int fd = -1;
    {
        const std::lock_guard lock(m_mutex);
        fd = m_fd;
        m_fd = -1;
    }
    if (fd < 0)
        return;
    if (m_notifier) {
        // this may run inside the notifier's own signal: it goes when that is over
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    m_exitEvent.notify_all(); // the watchdog reconnects
    close(fd);
    const auto lived = std::chrono::milliseconds(NowMs() - m_connectedAt);
    if (unexpected && !m_stopRequested)
        Report(Problem::Stopped,
               QStringLiteral("the capture companion went away; it is restarted"));
    if (lived >= 30s)
        m_backOffMs = 1000; // it ran well: a new one may start soon
}

bool CAudioRecordLink::SendRecord(const void* data, std::size_t length) {
    const std::lock_guard lock(m_mutex);
    if (m_fd < 0)
        return false;
    // never waits: a companion that does not read loses the command
    return send(m_fd, data, length, MSG_DONTWAIT | MSG_NOSIGNAL) == static_cast<ssize_t>(length);
}

bool CAudioRecordLink::SendCommand(std::int32_t command, std::int32_t value) {
    const std::array<std::int32_t, 3> record{static_cast<std::int32_t>(ac::kTagCommand), command,
                                             value};
    return SendRecord(record.data(), sizeof(record));
}

bool CAudioRecordLink::SendMusicStyle(const std::array<std::uint8_t, 40>& style) {
    std::array<std::uint8_t, ac::kTagBytes + ac::kStyleBytes> record{};
    const std::uint32_t tag = ac::kTagStyle;
    std::memcpy(record.data(), &tag, ac::kTagBytes);
    std::memcpy(record.data() + ac::kTagBytes, style.data(), style.size());
    return SendRecord(record.data(), record.size());
}

void CAudioRecordLink::StopAudioRecord() {
    if (!IsConnected())
        return;
    m_stopRequested = true;
    SendCommand(ac::kCmdStopLevels, 0);
    SendCommand(ac::kCmdStopScreenColors, 0);
    SendCommand(ac::kCmdQuit, 0);
}

void CAudioRecordLink::OnReadable() {
    int fd = -1;
    {
        const std::lock_guard lock(m_mutex);
        fd = m_fd;
    }
    if (fd < 0)
        return;
    std::array<std::uint8_t, ac::kMaxRecordBytes> buffer{};
    for (int records = 0; records < 64; ++records) {
        const ssize_t n = recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT | MSG_TRUNC);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (n <= 0) {
            Disconnect(true);
            return;
        }
        const auto length = static_cast<std::size_t>(n);
        if (length > buffer.size() || length < ac::kTagBytes) {
            Report(Problem::BadRecord,
                   QStringLiteral("the capture companion sent a record of %1 bytes; ignored")
                       .arg(length));
            continue;
        }
        std::uint32_t tag = 0;
        std::memcpy(&tag, buffer.data(), ac::kTagBytes);
        const std::span<const std::uint8_t> payload(buffer.data() + ac::kTagBytes,
                                                    length - ac::kTagBytes);
        if (tag == ac::kTagLevels && !payload.empty()) {
            if (m_handlers.levels)
                m_handlers.levels(payload);
        } else if (tag == ac::kTagScreenColors && !payload.empty()) {
            if (payload.size() > ac::kScreenBytes)
                Report(Problem::BadRecord,
                       QStringLiteral("the capture companion sent %1 bytes of screen colours; "
                                      "the first 24 are used")
                           .arg(payload.size()));
            if (m_handlers.screenColors)
                m_handlers.screenColors(payload.first(std::min(payload.size(), ac::kScreenBytes)));
        } else if (tag == ac::kTagHelloAnswer) {
            const std::lock_guard lock(m_mutex);
            m_answered = true; // the watchdog settles at its next pass
        }
    }
}

void CAudioRecordLink::Report(Problem problem, const QString& text) {
    if (!m_reported.insert(problem).second)
        return;
    if (m_handlers.problem)
        m_handlers.problem(problem, text);
}

void CAudioRecordLink::StartWatchdog() {
    if (m_watchdog.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_exit = false;
    }
    m_watchdog = std::thread([this] {
        pthread_setname_np(pthread_self(), "vpc-audio-watch");
        WatchdogLoop();
    });
}

void CAudioRecordLink::StopWatchdog() {
    {
        const std::lock_guard lock(m_mutex);
        m_exit = true;
    }
    m_exitEvent.notify_all();
    if (m_watchdog.joinable())
        m_watchdog.join();
}

void CAudioRecordLink::WatchdogLoop() {
    // Passes once a second while there is something to watch for, and no more often than the
    // back-off while the companion cannot be started. It sleeps without passes while connected to
    // a companion that answered (one that ends or crashes closes the connection, which wakes it)
    // and, once said, when there is no runtime folder to connect in.
    std::unique_lock lock(m_mutex);
    while (!m_exit) {
        const bool nowhere = m_runtimeFolder.empty() && m_passes > 0;
        if (nowhere || (m_fd >= 0 && m_answered)) {
            m_settled = true;
            m_exitEvent.wait(lock, [this, nowhere] {
                return m_exit || (!nowhere && (m_fd < 0 || !m_answered));
            });
            m_settled = false;
            continue;
        }
        if (m_exitEvent.wait_for(lock, PassDelay(), [this] { return m_exit; }))
            break;
        lock.unlock();
        WatchdogPass();
        lock.lock();
    }
}

std::chrono::milliseconds CAudioRecordLink::PassDelay() const {
    if (!m_launchFailed)
        return kWatchdogPass;
    const auto untilLaunch = std::chrono::duration_cast<std::chrono::milliseconds>(
        m_nextLaunch - std::chrono::steady_clock::now());
    return std::max(kWatchdogPass, untilLaunch);
}

void CAudioRecordLink::WatchdogPass() {
    ++m_passes;
    ReapChild();
    if (IsConnected()) {
        // a companion that took the connection but never answers the hello is hung
        if (!m_answered && std::chrono::milliseconds(NowMs() - m_helloAt) > kAnswerLimit) {
            const pid_t hung = m_child;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    Report(
                        Problem::NotAnswering,
                        QStringLiteral("the capture companion does not answer; it is restarted"));
                    m_stopRequested = true;
                    Disconnect(false);
                },
                Qt::QueuedConnection);
            if (hung > 0) {
                m_killedHung = true;
                kill(hung, SIGKILL); // our own helper process, not a thread
            }
        }
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!CompanionRunning() && m_child <= 0 && now >= m_nextLaunch) {
        const bool launched = LaunchAudioRecord();
        m_launchFailed = !launched;
        const std::int64_t backOff = m_backOffMs;
        m_nextLaunch = now + std::chrono::milliseconds(backOff);
        m_backOffMs =
            std::min<std::int64_t>(backOff * 2, std::chrono::milliseconds(kLongestBackOff).count());
        if (!launched)
            return; // said once by the launch
        // give it time to open its socket; the exit event still ends the wait
        std::unique_lock lock(m_mutex);
        if (m_exitEvent.wait_for(lock, kAfterLaunch, [this] { return m_exit; }))
            return;
    }
    // connect on every pass
    {
        const std::lock_guard lock(m_mutex);
        if (m_fd >= 0 || m_connecting || m_exit)
            return;
        m_connecting = true;
    }
    const int fd = OpenConnection();
    {
        const std::lock_guard lock(m_mutex);
        m_connecting = false;
    }
    if (fd >= 0)
        QMetaObject::invokeMethod(
            this, [this, fd] { Adopt(fd); }, Qt::QueuedConnection);
}

} // namespace vpc::panels
