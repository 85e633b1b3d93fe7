// The companion program against a PulseAudio server the test starts (a null sink as the
// default output): a tone played into the sink shows in its sub-band of the level frames,
// silence gives identical frames, a second instance gives way, and the companion ends when
// the main program's connection goes.
#include "AudioCaptureProtocol.h"
#include "PulseTestServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

namespace vpc::audiocapture {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::PulseTestServer;

struct Record {
    std::uint32_t tag = 0;
    std::vector<std::int32_t> values;
};

// The main program's end of the socket, as a test drives it.
class Client {
public:
    explicit Client(const std::string& folder) {
        const std::string path = SocketPath(folder);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < deadline) {
            m_fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
            if (connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0)
                return;
            close(m_fd);
            m_fd = -1;
            std::this_thread::sleep_for(20ms);
        }
    }
    ~Client() { Close(); }
    void Close() {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
    }
    bool Connected() const { return m_fd >= 0; }
    void Command(std::int32_t command, std::int32_t value = 0) {
        const std::array<std::int32_t, 3> record{static_cast<std::int32_t>(kTagCommand), command,
                                                 value};
        ASSERT_EQ(send(m_fd, record.data(), sizeof(record), MSG_NOSIGNAL),
                  static_cast<ssize_t>(sizeof(record)));
    }
    // The next record, or none within the limit.
    std::optional<Record> Next(std::chrono::milliseconds limit = 5000ms) {
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(limit.count())) <= 0)
            return std::nullopt;
        std::array<std::uint8_t, kMaxRecordBytes + 16> buffer{};
        const ssize_t n = recv(m_fd, buffer.data(), buffer.size(), 0);
        if (n < static_cast<ssize_t>(kTagBytes))
            return std::nullopt;
        Record record;
        std::memcpy(&record.tag, buffer.data(), kTagBytes);
        record.values.resize((static_cast<std::size_t>(n) - kTagBytes) / 4);
        std::memcpy(record.values.data(), buffer.data() + kTagBytes, record.values.size() * 4);
        return record;
    }
    // The next level frame (screen colour records are passed over).
    std::optional<Record> NextLevels() {
        for (int i = 0; i < 400; ++i) {
            auto record = Next();
            if (!record || record->tag == kTagLevels)
                return record;
        }
        return std::nullopt;
    }

private:
    int m_fd = -1;
};

int Loudest(const std::vector<std::int32_t>& values) {
    return static_cast<int>(std::max_element(values.begin(), values.end()) - values.begin());
}

class CompanionTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PulseTestServer::Installed()) {
            if (std::getenv("CI"))
                FAIL() << "pulseaudio and pulseaudio-utils (pacat, pactl) are not installed";
            GTEST_SKIP() << "pulseaudio is not installed";
        }
        m_server = std::make_unique<PulseTestServer>();
        ASSERT_TRUE(m_server->Ready()) << "the test's PulseAudio server did not start; see "
                                       << m_server->Folder() << "/pulseaudio.log";
    }
    ChildProcess StartCompanion() {
        return ChildProcess({VPC_AUDIO_CAPTURE_PROGRAM}, m_server->Env(), "/dev/null",
                            m_server->Folder() + "/companion.log");
    }
    std::string Raw(const char* name, double hz, double seconds) {
        const std::string path = m_server->Folder() + "/" + name;
        testing::WriteTone(path, hz, seconds);
        return path;
    }
    std::unique_ptr<PulseTestServer> m_server;
};

struct ToneCase {
    double hz;
    int band; // 125 * ln(hz / 40) / ln(400), rounded down
};

TEST_F(CompanionTest, ATonePlayedShowsInItsBandAndSilenceGivesIdenticalFrames) {
    ChildProcess companion = StartCompanion();
    ASSERT_TRUE(companion.Started());
    Client client(m_server->Folder());
    ASSERT_TRUE(client.Connected());
    client.Command(kCmdHello, static_cast<std::int32_t>(getpid()));
    client.Command(kCmdStartScreenColors);
    client.Command(kCmdStartLevels);

    for (const ToneCase c : {ToneCase{1000, 67}, {2500, 86}}) {
        SCOPED_TRACE(c.hz);
        ChildProcess player = m_server->Play(Raw("tone.raw", c.hz, 3.0));
        // the first frames may still hold the previous sound or the click of the start: wait
        // until the analysis window holds the tone alone
        std::optional<Record> frame;
        for (int i = 0; i < 60; ++i) {
            frame = client.NextLevels();
            ASSERT_TRUE(frame) << "no level frame while the tone plays";
            ASSERT_EQ(frame->values.size(), kFrameBands);
            if (Loudest(frame->values) == c.band && frame->values[10] == 0)
                break;
        }
        EXPECT_EQ(Loudest(frame->values), c.band);
        // -28 dBFS (12000 of 32767): (60 - 8.7) * 25 = 1282, give or take the window
        EXPECT_NEAR(frame->values[static_cast<std::size_t>(c.band)], 1282, 60);
        EXPECT_EQ(frame->values[10], 0);
        player.Stop();
    }

    ChildProcess quiet = m_server->Play(Raw("silence.raw", 0, 3.0));
    std::optional<Record> frame;
    for (int i = 0; i < 60; ++i) { // until the tone has left the analysis window
        frame = client.NextLevels();
        ASSERT_TRUE(frame);
        if (std::all_of(frame->values.begin(), frame->values.end(), [](auto v) { return v == 0; }))
            break;
    }
    const std::vector<std::int32_t> zeros(kFrameBands, 0);
    ASSERT_EQ(frame->values, zeros);
    for (int i = 0; i < 20; ++i) {
        const auto next = client.NextLevels();
        ASSERT_TRUE(next) << "silence still gives frames";
        EXPECT_EQ(next->values, zeros);
    }
}

TEST_F(CompanionTest, ASecondInstanceGivesWayAndTheCompanionEndsWithItsMainProgram) {
    ChildProcess first = StartCompanion();
    Client client(m_server->Folder());
    ASSERT_TRUE(client.Connected());
    client.Command(kCmdHello, 1);

    ChildProcess second = StartCompanion();
    EXPECT_EQ(second.WaitForExit(10s), 0) << "the second instance ends at once";
    client.Command(kCmdStartLevels); // the first still listens to its main program
    ChildProcess player = m_server->Play(Raw("tone.raw", 1000, 2.0));
    EXPECT_TRUE(client.NextLevels());

    client.Close();
    EXPECT_EQ(first.WaitForExit(10s), 0) << "the companion ends when its main program goes";
    struct stat info {};
    EXPECT_NE(stat(SocketPath(m_server->Folder()).c_str(), &info), 0) << "its socket is gone";
}

TEST_F(CompanionTest, TheQuitCommandEndsIt) {
    ChildProcess companion = StartCompanion();
    Client client(m_server->Folder());
    ASSERT_TRUE(client.Connected());
    client.Command(kCmdStopLevels);
    client.Command(kCmdStopScreenColors);
    client.Command(kCmdQuit);
    EXPECT_EQ(companion.WaitForExit(10s), 0);
}

} // namespace
} // namespace vpc::audiocapture
