// A private PulseAudio server for a test: a `pulseaudio` daemon with one null sink ("test_sink",
// the default output) in a temporary runtime folder, and the helpers to start programs that use
// it (the companion, pacat playing a tone or silence). Everything is stopped and reaped on exit.
#pragma once

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vpc::testing {

inline bool OnPath(const char* program) {
    const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// A child process, stopped with SIGTERM (and reaped) when it goes out of scope.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 const std::string& stdinFile = {}, const std::string& stderrFile = {}) {
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        std::vector<char*> envp;
        for (const std::string& e : env)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!stdinFile.empty())
            posix_spawn_file_actions_addopen(&actions, 0, stdinFile.c_str(), O_RDONLY, 0);
        if (!stderrFile.empty())
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        if (!stderrFile.empty())
            posix_spawn_file_actions_addopen(&actions, 2, stderrFile.c_str(),
                                             O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (posix_spawnp(&m_pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0)
            m_pid = 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildProcess() { Stop(); }
    ChildProcess(ChildProcess&& other) noexcept : m_pid(other.m_pid) { other.m_pid = 0; }
    ChildProcess& operator=(ChildProcess&& other) noexcept {
        Stop();
        m_pid = other.m_pid;
        other.m_pid = 0;
        return *this;
    }
    bool Started() const { return m_pid > 0; }
    pid_t Pid() const { return m_pid; }
    void Stop() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        m_pid = 0;
    }
    // Waits for the process to end by itself; its exit code, or -1 when it did not end in time.
    int WaitForExit(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (m_pid > 0) {
            int status = 0;
            const pid_t done = waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid) {
                m_pid = 0;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() > deadline)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

private:
    pid_t m_pid = 0;
};

// Writes a mono 48 kHz s16le tone (0 Hz: silence) of the given length to a file.
inline void WriteTone(const std::string& path, double hz, double seconds) {
    std::ofstream out(path, std::ios::binary);
    const int count = static_cast<int>(48000 * seconds);
    for (int n = 0; n < count; ++n) {
        const auto sample = static_cast<std::int16_t>(
            hz > 0 ? 12000.0 * std::sin(2.0 * std::numbers::pi * hz * n / 48000.0) : 0.0);
        out.write(reinterpret_cast<const char*>(&sample), sizeof(sample));
    }
}

class PulseTestServer {
public:
    PulseTestServer() {
        char pattern[] = "/tmp/vpc-pulse-XXXXXX";
        if (const char* made = mkdtemp(pattern))
            m_folder = made;
        if (m_folder.empty())
            return;
        chmod(m_folder.c_str(), 0700);
        m_env = {"XDG_RUNTIME_DIR=" + m_folder, "HOME=" + m_folder,
                 "PATH=" +
                     std::string(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin")};
        m_daemon = ChildProcess({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                                 "--use-pid-file=no", "--disable-shm=yes", "-L",
                                 "module-native-protocol-unix", "-L",
                                 "module-null-sink sink_name=test_sink rate=48000 channels=1"},
                                m_env, "/dev/null", m_folder + "/pulseaudio.log");
        // ready when its socket is there and a client gets an answer
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (m_daemon.Started() && std::chrono::steady_clock::now() < deadline) {
            struct stat info {};
            if (stat((m_folder + "/pulse/native").c_str(), &info) == 0 &&
                Run({"pactl", "info"}) == 0) {
                m_ready = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~PulseTestServer() {
        m_daemon.Stop();
        if (!m_folder.empty())
            std::system(("rm -rf '" + m_folder + "'").c_str());
    }
    PulseTestServer(const PulseTestServer&) = delete;
    PulseTestServer& operator=(const PulseTestServer&) = delete;

    static bool Installed() { return OnPath("pulseaudio") && OnPath("pacat") && OnPath("pactl"); }
    bool Ready() const { return m_ready; }
    const std::string& Folder() const { return m_folder; }
    const std::vector<std::string>& Env() const { return m_env; }

    // Runs a client program to its end; its exit code.
    int Run(const std::vector<std::string>& argv) const {
        ChildProcess child(argv, m_env, "/dev/null", m_folder + "/clients.log");
        return child.WaitForExit(std::chrono::seconds(10));
    }
    // Plays a raw mono 48 kHz s16le file into the null sink (in the background).
    ChildProcess Play(const std::string& rawFile) const {
        return ChildProcess({"pacat", "--playback", "--raw", "--format=s16le", "--rate=48000",
                             "--channels=1", "--device=test_sink"},
                            m_env, rawFile, m_folder + "/clients.log");
    }

private:
    std::string m_folder;
    std::vector<std::string> m_env;
    ChildProcess m_daemon;
    bool m_ready = false;
};

} // namespace vpc::testing
