#include "EqualiserFilter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vpc::devices::headset {

namespace {

constexpr const char* kConfigName = "headset-equaliser.conf";
constexpr double kBandQ = 1.41; // an octave wide

// Waits up to `ms` for the child to end; true when it has (and it is reaped).
bool WaitForExit(pid_t child, int ms) {
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    if (pidfd >= 0) {
        pollfd fd{pidfd, POLLIN, 0};
        int ready = 0;
        do {
            ready = ::poll(&fd, 1, ms);
        } while (ready < 0 && errno == EINTR);
        ::close(pidfd);
        if (ready <= 0)
            return false;
    }
    int status = 0;
    return ::waitpid(child, &status, pidfd >= 0 ? 0 : WNOHANG) == child;
}

bool PipeWireIsThere() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* remote = std::getenv("PIPEWIRE_REMOTE");
    const std::string socket =
        std::string(runtime ? runtime : "") + "/" + (remote && *remote ? remote : "pipewire-0");
    struct stat info {};
    return runtime != nullptr && ::stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

} // namespace

std::string MakeEqualiserFilterChain(const data::EqValues& gains, const std::string& targetSink) {
    std::ostringstream conf;
    conf << "# Made by the control center: the headset's equaliser.\n"
            "context.properties = { log.level = 0 }\n"
            "context.spa-libs = {\n"
            "    audio.convert.* = audioconvert/libspa-audioconvert\n"
            "    support.* = support/libspa-support\n"
            "}\n"
            "context.modules = [\n"
            "    { name = libpipewire-module-rt flags = [ ifexists nofail ] }\n"
            "    { name = libpipewire-module-protocol-native }\n"
            "    { name = libpipewire-module-client-node }\n"
            "    { name = libpipewire-module-adapter }\n"
            "    { name = libpipewire-module-filter-chain\n"
            "        args = {\n"
            "            node.description = \"Headset equaliser\"\n"
            "            media.name = \"Headset equaliser\"\n"
            "            filter.graph = {\n"
            "                nodes = [\n";
    for (int band = 0; band < data::kEqBandCount; ++band) {
        char node[200];
        std::snprintf(node, sizeof node,
                      "                    { type = builtin name = band%d label = bq_peaking "
                      "control = { \"Freq\" = %d.0 \"Q\" = %.2f \"Gain\" = %d.0 } }\n",
                      band + 1, kEqBandFrequencies[band], kBandQ,
                      gains[static_cast<std::size_t>(band)]);
        conf << node;
    }
    conf << "                ]\n"
            "                links = [\n";
    for (int band = 1; band < data::kEqBandCount; ++band)
        conf << "                    { output = \"band" << band << ":Out\" input = \"band"
             << band + 1 << ":In\" }\n";
    conf << "                ]\n"
            "            }\n"
            "            audio.channels = 2\n"
            "            audio.position = [ FL FR ]\n"
            "            capture.props = {\n"
            "                node.name = \"vorna_headset_eq_input\"\n"
            "                media.class = Audio/Sink\n"
            "            }\n"
            "            playback.props = {\n"
            "                node.name = \"vorna_headset_eq_output\"\n"
            "                node.passive = true\n";
    if (!targetSink.empty())
        conf << "                target.object = \"" << targetSink << "\"\n";
    conf << "            }\n"
            "        }\n"
            "    }\n"
            "]\n";
    return conf.str();
}

CPipeWireEqualiser::CPipeWireEqualiser(std::string targetSink, std::string folder,
                                       std::string program)
    : m_targetSink(std::move(targetSink)), m_folder(std::move(folder)),
      m_program(std::move(program)) {}

CPipeWireEqualiser::~CPipeWireEqualiser() {
    Remove();
}

bool CPipeWireEqualiser::Apply(const data::EqValues& gains) {
    Remove(); // never two filters on one output
    if (m_program == "pipewire" && !PipeWireIsThere())
        return false;
    // the folder for the filter's configuration, made on first use and the user's alone
    std::error_code error;
    std::filesystem::create_directories(m_folder, error);
    std::filesystem::permissions(m_folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, error);
    const std::string path = m_folder + "/" + kConfigName;
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << MakeEqualiserFilterChain(gains, m_targetSink);
        if (!out.flush())
            return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        return false;
    std::vector<std::string> words = {m_program, "-c", path};
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = -1;
    if (::posix_spawnp(&child, m_program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    m_child = child;
    return true;
}

void CPipeWireEqualiser::Remove() {
    if (m_child <= 0)
        return;
    // our own child process: asked to end, and made to if it does not within two seconds
    ::kill(m_child, SIGTERM);
    if (!WaitForExit(m_child, 2000)) {
        ::kill(m_child, SIGKILL);
        int status = 0;
        ::waitpid(m_child, &status, 0);
    }
    m_child = -1;
}

} // namespace vpc::devices::headset
