// The equaliser against a real PipeWire daemon that the test starts with a null sink: a
// preset loads one filter whose band gains are the preset's, another preset replaces it, and
// taking the equaliser off removes it.
#include "EqualiserFilter.h"
#include "HeadsetAudio.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <json/json.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <thread>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;

namespace vpc::devices::headset {
namespace {

using namespace std::chrono_literals;

constexpr const char* kDaemonConfig =
    R"(context.properties = { core.daemon = true core.name = pipewire-0 support.dbus = false }
context.spa-libs = { audio.convert.* = audioconvert/libspa-audioconvert support.* = support/libspa-support }
context.modules = [
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-access }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-adapter }
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-spa-node-factory }
]
context.objects = [
    { factory = spa-node-factory args = { factory.name = support.node.driver node.name = Dummy-Driver priority.driver = 8000 } }
    { factory = adapter args = { factory.name = support.null-audio-sink node.name = "test_sink" media.class = "Audio/Sink" audio.position = [ FL FR ] } }
]
)";

bool OnPath(const char* program) {
    const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// The daemon, stopped and reaped when the test ends.
class Daemon {
public:
    explicit Daemon(const std::string& config) {
        char* argv[] = {const_cast<char*>("pipewire"), const_cast<char*>("-c"),
                        const_cast<char*>(config.c_str()), nullptr};
        if (posix_spawnp(&m_pid, "pipewire", nullptr, nullptr, argv, environ) != 0)
            m_pid = 0;
    }
    ~Daemon() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    Daemon(const Daemon&) = delete;
    Daemon& operator=(const Daemon&) = delete;
    bool Started() const { return m_pid > 0; }

private:
    pid_t m_pid = 0;
};

// The band gains of every equaliser node the daemon has, one list per node.
std::vector<std::vector<double>> EqualiserGains() {
    std::vector<std::vector<double>> found;
    FILE* pipe = popen("pw-dump 2>/dev/null", "r");
    if (!pipe)
        return found;
    std::string text;
    std::array<char, 4096> chunk{};
    while (const std::size_t n = fread(chunk.data(), 1, chunk.size(), pipe))
        text.append(chunk.data(), n);
    pclose(pipe);
    Json::Value dump;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream in(text);
    if (!Json::parseFromStream(builder, in, &dump, &errors) || !dump.isArray())
        return found;
    for (const Json::Value& object : dump) {
        const Json::Value& info = object["info"];
        if (info["props"]["node.name"].asString() != "vorna_headset_eq_input")
            continue;
        std::vector<double> gains(data::kEqBandCount, 0.0);
        for (const Json::Value& props : info["params"]["Props"]) {
            const Json::Value& list = props["params"];
            for (Json::ArrayIndex i = 0; i + 1 < list.size(); i += 2) {
                const std::string name = list[i].asString();
                int band = 0;
                if (std::sscanf(name.c_str(), "band%d:Gain", &band) == 1 && band >= 1 &&
                    band <= data::kEqBandCount)
                    gains[static_cast<std::size_t>(band - 1)] = list[i + 1].asDouble();
            }
        }
        found.push_back(gains);
    }
    return found;
}

// Waits until the daemon holds exactly the given equaliser nodes.
bool WaitForGains(const std::vector<std::vector<double>>& expected) {
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (EqualiserGains() == expected)
            return true;
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

std::vector<double> AsDoubles(const data::EqValues& values) {
    return {values.begin(), values.end()};
}

TEST(PipeWireEqualiser, APresetLoadsOneFilterWithItsGainsAndTheNextReplacesIt) {
    if (!OnPath("pipewire") || !OnPath("pw-dump")) {
        if (std::getenv("CI") != nullptr)
            FAIL() << "PipeWire (pipewire, pw-dump) is not installed";
        GTEST_SKIP() << "PipeWire is not installed";
    }
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    ASSERT_EQ(chmod(runtime.path().toLocal8Bit().constData(), 0700), 0);
    const std::string folder = runtime.path().toStdString();
    const std::string previous =
        std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    {
        const std::string config = folder + "/daemon.conf";
        std::ofstream(config) << kDaemonConfig;
        Daemon daemon(config);
        ASSERT_TRUE(daemon.Started());
        ASSERT_TRUE(WaitForGains({})) << "the daemon answers with no equaliser yet";
        {
            CPipeWireEqualiser equaliser("test_sink", folder + "/equaliser");
            const data::EqValues pop = EqPresetTable()[0];
            const data::EqValues jazz = EqPresetTable()[2];
            ASSERT_TRUE(equaliser.Apply(pop));
            EXPECT_TRUE(WaitForGains({AsDoubles(pop)})) << "preset 1's gains";
            ASSERT_TRUE(equaliser.Apply(jazz));
            EXPECT_TRUE(WaitForGains({AsDoubles(jazz)}))
                << "preset 3 in its place, no second filter";
            equaliser.Remove();
            EXPECT_TRUE(WaitForGains({})) << "off: no filter left";
        }
    }
    if (previous.empty())
        unsetenv("XDG_RUNTIME_DIR");
    else
        setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
}

} // namespace
} // namespace vpc::devices::headset
