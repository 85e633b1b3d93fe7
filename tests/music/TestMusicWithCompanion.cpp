// Music lighting with the real capture companion and a PulseAudio server the test starts: the
// main program's side starts the companion, connects, and level frames of music played into
// the null sink become deliveries to the keyboards; at the end the companion is stopped.
#include "MusicLighting.h"

#include "../audio-capture/PulseTestServer.h"

#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>

namespace vpc::panels {
namespace {

using vpc::testing::PulseTestServer;

// XDG_RUNTIME_DIR and HOME of this process while a test needs the server's (the companion that
// the link starts inherits them).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(MusicWithCompanion, MusicPlayedBecomesKeyboardLevelsAndTheCompanionStopsAtTheEnd) {
    if (!PulseTestServer::Installed()) {
        if (std::getenv("CI"))
            FAIL() << "pulseaudio and pulseaudio-utils are not installed";
        GTEST_SKIP() << "pulseaudio is not installed";
    }
    PulseTestServer server;
    ASSERT_TRUE(server.Ready()) << "see " << server.Folder() << "/pulseaudio.log";
    const ScopedEnv runtime("XDG_RUNTIME_DIR", server.Folder());
    const ScopedEnv home("HOME", server.Folder());
    QTemporaryDir user;
    ASSERT_TRUE(user.isValid());

    int deliveries = 0;
    std::vector<QString> notices;
    CMusicLighting::Services services;
    services.connectedDevices = [&](int type) {
        deliveries += type == 1 ? 1 : 0;
        return std::vector<devices::CCorvaneUSBDevice*>{};
    };
    services.notice = [&](const QString& text) { notices.push_back(text); };
    CMusicLighting music(std::move(services), VPC_AUDIO_CAPTURE_PROGRAM, server.Folder(),
                         VPC_TEST_DEFAULT_DATA_DIR, user.path().toStdString());
    music.Start();
    // no keyboard shows music or screen colours: the companion captures nothing
    EXPECT_FALSE(music.Link().LevelsWanted());
    EXPECT_FALSE(music.Link().ScreenColorsWanted());
    // as when a keyboard takes mode 21
    music.Link().SetCaptureWanted(true, false);
    deliveries = 0;
    ASSERT_TRUE(QTest::qWaitFor([&] { return music.Link().IsConnected(); }, 10000))
        << "the companion was started and connected";
    EXPECT_EQ(music.Link().Launches(), 1);

    // a tone sweeping up and down: every frame differs
    const std::string raw = server.Folder() + "/sweep.raw";
    {
        std::ofstream out(raw, std::ios::binary);
        for (int n = 0; n < 48000 * 4; ++n) {
            const double hz = 300.0 + 2500.0 * (0.5 + 0.5 * std::sin(n / 3000.0));
            const auto s = static_cast<std::int16_t>(10000.0 * std::sin(hz * n / 48000.0 * 6.283));
            out.write(reinterpret_cast<const char*>(&s), sizeof(s));
        }
    }
    vpc::testing::ChildProcess player = server.Play(raw);
    EXPECT_TRUE(QTest::qWaitFor([&] { return deliveries >= 3; }, 10000))
        << "levels were delivered to the keyboards";
    EXPECT_TRUE(music.Levels().IsDataActive());
    player.Stop();

    music.Stop();
    EXPECT_FALSE(music.Link().IsWatchdogRunning());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !music.Link().CompanionRunning(); }, 10000))
        << "the companion ends when told to stop";
    EXPECT_TRUE(notices.empty()) << notices.front().toStdString();
    EXPECT_TRUE(std::filesystem::exists(user.path().toStdString() + "/AudioFile.json"));
}

} // namespace
} // namespace vpc::panels
