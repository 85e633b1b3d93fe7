// The main program's link to the capture companion when the companion misbehaves: it crashes
// (the connection goes), hangs (never answers), sends oversized or short records, or is
// missing. The program keeps running, says so once per kind, and keeps reconnecting. The test
// itself serves the companion's socket and holds its lock.
#include "AudioCaptureProtocol.h"
#include "AudioRecordLink.h"
#include "MusicLighting.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vpc::panels {
namespace {

namespace ac = vpc::audiocapture;
using Problem = CAudioRecordLink::Problem;

// The companion's side, served by the test on the UI thread.
class FakeCompanion {
public:
    explicit FakeCompanion(const std::string& folder) {
        m_lock = open(ac::LockPath(folder).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        flock(m_lock, LOCK_EX | LOCK_NB);
        m_listen = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = ac::SocketPath(folder);
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        m_ok = bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
               listen(m_listen, 4) == 0;
    }
    ~FakeCompanion() {
        Hang();
        close(m_listen);
        close(m_lock);
    }
    bool Ok() const { return m_ok; }
    // Waits (running the event loop) for the link's next connection.
    bool Accept() {
        return QTest::qWaitFor(
            [this] {
                m_client = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
                return m_client >= 0;
            },
            5000);
    }
    // The next record the link sent, running the event loop while waiting for it.
    std::vector<std::uint8_t> ReadLater() {
        const bool ready = QTest::qWaitFor(
            [this] {
                pollfd p{m_client, POLLIN, 0};
                return poll(&p, 1, 0) > 0;
            },
            5000);
        return ready ? Read() : std::vector<std::uint8_t>{};
    }
    // The next record the link sent.
    std::vector<std::uint8_t> Read() {
        std::vector<std::uint8_t> record(ac::kMaxRecordBytes);
        const ssize_t n = recv(m_client, record.data(), record.size(), 0);
        record.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return record;
    }
    void Send(std::uint32_t tag, std::size_t payloadBytes, std::uint8_t fill = 0x11) {
        std::vector<std::uint8_t> record(ac::kTagBytes + payloadBytes, fill);
        std::memcpy(record.data(), &tag, ac::kTagBytes);
        ASSERT_EQ(send(m_client, record.data(), record.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(record.size()));
    }
    void SendBytes(const std::uint8_t* bytes, std::size_t length) {
        ASSERT_EQ(send(m_client, bytes, length, MSG_NOSIGNAL), static_cast<ssize_t>(length));
    }
    void SendRaw(std::size_t bytes) {
        std::vector<std::uint8_t> record(bytes, 0x01);
        ASSERT_EQ(send(m_client, record.data(), record.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes));
    }
    void Answer() { Send(ac::kTagHelloAnswer, 4); }
    // Ends the connection as a crash would.
    void Crash() { Hang(); }
    void Hang() {
        if (m_client >= 0)
            close(m_client);
        m_client = -1;
    }

private:
    int m_lock = -1;
    int m_listen = -1;
    int m_client = -1;
    bool m_ok = false;
};

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    std::unique_ptr<CAudioRecordLink>
    MakeLink(const std::string& program = "/nonexistent/companion") {
        CAudioRecordLink::Handlers handlers;
        handlers.levels = [this](std::span<const std::uint8_t> b) {
            m_levels.emplace_back(b.begin(), b.end());
        };
        handlers.screenColors = [this](std::span<const std::uint8_t> b) {
            m_screen.emplace_back(b.begin(), b.end());
        };
        handlers.problem = [this](Problem p, const QString&) { m_problems.push_back(p); };
        handlers.style = [] {
            std::array<std::uint8_t, 40> style{};
            style[0] = 7;
            style[4] = 3;
            style[8] = 5;
            return style;
        };
        return std::make_unique<CAudioRecordLink>(program, m_dir.path().toStdString(),
                                                  std::move(handlers));
    }
    int Count(Problem p) const {
        return static_cast<int>(std::count(m_problems.begin(), m_problems.end(), p));
    }
    QTemporaryDir m_dir;
    std::vector<std::vector<std::uint8_t>> m_levels;
    std::vector<std::vector<std::uint8_t>> m_screen;
    std::vector<Problem> m_problems;
};

std::optional<std::pair<std::int32_t, std::int32_t>> CommandOf(const std::vector<std::uint8_t>& r) {
    if (r.size() != 12)
        return std::nullopt;
    std::int32_t words[3];
    std::memcpy(words, r.data(), 12);
    if (words[0] != static_cast<std::int32_t>(ac::kTagCommand))
        return std::nullopt;
    return std::pair{words[1], words[2]};
}

TEST_F(LinkTest, ConnectingSendsHelloScreenLevelsAndTheStyle) {
    FakeCompanion companion(m_dir.path().toStdString());
    ASSERT_TRUE(companion.Ok());
    auto link = MakeLink();
    ASSERT_TRUE(link->ConnectAudioRecord());
    ASSERT_TRUE(companion.Accept());
    EXPECT_EQ(CommandOf(companion.Read()), (std::pair<std::int32_t, std::int32_t>{0, getpid()}));
    EXPECT_EQ(CommandOf(companion.Read()), (std::pair<std::int32_t, std::int32_t>{3, 0}));
    EXPECT_EQ(CommandOf(companion.Read()), (std::pair<std::int32_t, std::int32_t>{1, 0}));
    const std::vector<std::uint8_t> style = companion.Read();
    ASSERT_EQ(style.size(), 44u);
    EXPECT_EQ(style[0], 10);
    EXPECT_EQ(style[4], 7);
    EXPECT_EQ(style[8], 3);
    EXPECT_EQ(style[12], 5);

    EXPECT_TRUE(link->SendCommand(ac::kCmdGreenWeight, 200));
    EXPECT_EQ(CommandOf(companion.Read()), (std::pair<std::int32_t, std::int32_t>{7, 200}));
    link->StopAudioRecord();
    EXPECT_EQ(CommandOf(companion.Read()), (std::pair<std::int32_t, std::int32_t>{2, 0}));
    EXPECT_EQ(CommandOf(companion.Read()), (std::pair<std::int32_t, std::int32_t>{4, 0}));
    EXPECT_EQ(CommandOf(companion.Read()), (std::pair<std::int32_t, std::int32_t>{5, 0}));
    companion.Crash(); // it ends as told: not a problem to report
    ASSERT_TRUE(QTest::qWaitFor([&] { return !link->IsConnected(); }, 5000));
    EXPECT_TRUE(m_problems.empty());
}

TEST_F(LinkTest, ACrashingCompanionIsReportedOnceAndReconnectedOnEveryPass) {
    FakeCompanion companion(m_dir.path().toStdString());
    ASSERT_TRUE(companion.Ok());
    auto link = MakeLink();
    link->StartWatchdog();
    for (int crash = 0; crash < 3; ++crash) {
        SCOPED_TRACE(crash);
        ASSERT_TRUE(companion.Accept()) << "the watchdog connects again";
        companion.Answer();
        ASSERT_TRUE(QTest::qWaitFor([&] { return link->IsConnected(); }, 5000));
        companion.Crash();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !link->IsConnected(); }, 5000));
    }
    link->StopWatchdog();
    EXPECT_EQ(Count(Problem::Stopped), 1);
    EXPECT_EQ(m_problems.size(), 1u);
    EXPECT_EQ(link->Launches(), 0) << "the lock is held: no second companion is started";
}

TEST_F(LinkTest, AHungCompanionIsReportedOnceAndLetGo) {
    FakeCompanion companion(m_dir.path().toStdString());
    ASSERT_TRUE(companion.Ok());
    auto link = MakeLink();
    link->StartWatchdog();
    for (int hang = 0; hang < 2; ++hang) {
        ASSERT_TRUE(companion.Accept());
        // no answer to the hello: the link lets the connection go after its limit
        ASSERT_TRUE(QTest::qWaitFor([&] { return link->IsConnected(); }, 5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !link->IsConnected(); }, 10000));
        companion.Hang();
    }
    link->StopWatchdog();
    EXPECT_EQ(Count(Problem::NotAnswering), 1);
    EXPECT_EQ(Count(Problem::Stopped), 0);
}

// While connected to a companion that answered, the watchdog makes no passes; when a capture is
// needed again it asks for an answer, and a companion that hung meanwhile is let go.
TEST_F(LinkTest, TheWatchdogSleepsWhileTheCompanionAnswersAndWatchesWhenACaptureStarts) {
    FakeCompanion companion(m_dir.path().toStdString());
    ASSERT_TRUE(companion.Ok());
    auto link = MakeLink();
    link->SetCaptureWanted(false, false);
    link->StartWatchdog();
    ASSERT_TRUE(companion.Accept());
    companion.Answer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link->IsWatchdogSettled(); }, 5000));
    EXPECT_TRUE(link->IsConnected());

    for (int record = 0; record < 4; ++record) // hello, screen colours off, levels off, style
        companion.ReadLater();
    link->SetCaptureWanted(false, true); // screen colours: start them and ask for an answer
    EXPECT_EQ(CommandOf(companion.ReadLater()), (std::pair<std::int32_t, std::int32_t>{3, 0}));
    EXPECT_EQ(CommandOf(companion.ReadLater()),
              (std::pair<std::int32_t, std::int32_t>{0, getpid()}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !link->IsWatchdogSettled(); }, 5000));
    companion.Answer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link->IsWatchdogSettled(); }, 5000));

    link->SetCaptureWanted(true, true); // levels start; this time nobody answers
    ASSERT_TRUE(QTest::qWaitFor([&] { return !link->IsConnected(); }, 10000));
    EXPECT_EQ(Count(Problem::NotAnswering), 1);

    companion.Hang();
    ASSERT_TRUE(companion.Accept()) << "the watchdog connects again";
    companion.Answer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link->IsWatchdogSettled(); }, 5000));
    link->SetCaptureWanted(false, false); // captures that stop need no answer
    EXPECT_TRUE(link->IsWatchdogSettled());
    link->StopWatchdog(); // ends the untimed wait too
    EXPECT_FALSE(link->IsWatchdogRunning());
}

TEST_F(LinkTest, OversizedAndShortRecordsAreRefusedOrZeroFilledOnce) {
    FakeCompanion companion(m_dir.path().toStdString());
    ASSERT_TRUE(companion.Ok());
    auto link = MakeLink();
    ASSERT_TRUE(link->ConnectAudioRecord());
    ASSERT_TRUE(companion.Accept());
    companion.Answer();
    companion.Send(ac::kTagLevels, 2996, 0x7F);     // 3000 bytes: more than a level frame holds
    companion.SendRaw(2);                           // not even a tag
    companion.Send(ac::kTagLevels, 0);              // an empty frame: ignored
    companion.Send(ac::kTagLevels, 8, 0x22);        // a short frame
    companion.Send(ac::kTagScreenColors, 40, 0x33); // more than six words
    companion.Send(ac::kTagLevels, 2000, 0x44);     // the largest frame
    companion.Send(77, 16);                         // another tag: ignored
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_levels.size() == 2 && m_screen.size() == 1; }, 5000));
    EXPECT_EQ(m_levels[0], std::vector<std::uint8_t>(8, 0x22));
    EXPECT_EQ(m_levels[1], std::vector<std::uint8_t>(2000, 0x44));
    EXPECT_EQ(m_screen[0], std::vector<std::uint8_t>(24, 0x33));
    EXPECT_EQ(Count(Problem::BadRecord), 1);
    EXPECT_TRUE(link->IsConnected());
}

TEST_F(LinkTest, AMissingCompanionIsReportedOnceWhileTheWatchdogKeepsTrying) {
    auto link = MakeLink("/nonexistent/vorna-audio-capture");
    EXPECT_FALSE(link->LaunchAudioRecord());
    link->StartWatchdog();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link->WatchdogPasses() >= 3; }, 10000));
    link->StopWatchdog();
    QTest::qWait(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(Count(Problem::Missing), 1);
    EXPECT_EQ(m_problems.size(), 1u);
    EXPECT_FALSE(link->IsConnected());
    EXPECT_FALSE(link->IsWatchdogRunning());
}

TEST_F(LinkTest, StoppingTheWatchdogEndsItsWaitAtOnce) {
    auto link = MakeLink();
    link->StartWatchdog();
    EXPECT_TRUE(link->IsWatchdogRunning());
    link->StopWatchdog(); // joins: the exit event ends the 1000 ms wait
    EXPECT_FALSE(link->IsWatchdogRunning());
}

} // namespace
} // namespace vpc::panels

namespace vpc::panels {
namespace {

// Music lighting on a served socket: three doubtful frames in a row (activity 1-99) stop the
// companion with 2, 4 and 5; screen colours go to the first keyboard only when one is connected.
TEST_F(LinkTest, AStuckLevelStreamStopsTheCompanion) {
    FakeCompanion companion(m_dir.path().toStdString());
    ASSERT_TRUE(companion.Ok());
    QTemporaryDir user;
    int keyboardAsks = 0;
    CMusicLighting::Services services;
    services.connectedDevices = [&](int type) {
        keyboardAsks += type == 1 ? 1 : 0;
        return std::vector<devices::CCorvaneUSBDevice*>{};
    };
    CMusicLighting music(std::move(services), "/nonexistent/vorna-audio-capture",
                         m_dir.path().toStdString(), VPC_TEST_DEFAULT_DATA_DIR,
                         user.path().toStdString());
    music.Start(); // connects 100 ms later
    ASSERT_TRUE(companion.Accept());
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(CommandOf(companion.ReadLater())) << "hello, 3, 1";
    const std::vector<std::uint8_t> style = companion.ReadLater();
    ASSERT_EQ(style.size(), 44u);
    EXPECT_EQ(style[4], 9) << "group 0 of the default file: red 9";
    EXPECT_EQ(style[8], 1) << "its green 0 is sent as 1";
    companion.Answer();
    for (const std::int32_t first : {50, 100, 150}) { // activity 50 each
        std::array<std::uint8_t, 4 + 8> record{};
        const std::uint32_t tag = ac::kTagLevels;
        std::memcpy(record.data(), &tag, 4);
        std::memcpy(record.data() + 4, &first, 4);
        companion.SendBytes(record.data(), record.size());
    }
    EXPECT_EQ(CommandOf(companion.ReadLater()), (std::pair<std::int32_t, std::int32_t>{2, 0}));
    EXPECT_EQ(CommandOf(companion.ReadLater()), (std::pair<std::int32_t, std::int32_t>{4, 0}));
    EXPECT_EQ(CommandOf(companion.ReadLater()), (std::pair<std::int32_t, std::int32_t>{5, 0}));
    EXPECT_EQ(music.Levels().DoubtfulCount(), 0);
    companion.Send(ac::kTagScreenColors, 24);
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyboardAsks > 0; }, 5000));
    music.Stop();
}

} // namespace
} // namespace vpc::panels

namespace vpc::panels {
namespace {

TEST(LinkWithoutRuntimeFolder, NothingIsStartedAndTheReasonIsSaidOnce) {
    std::vector<QString> said;
    CAudioRecordLink::Handlers handlers;
    handlers.problem = [&](CAudioRecordLink::Problem, const QString& text) {
        said.push_back(text);
    };
    CAudioRecordLink link(VPC_AUDIO_CAPTURE_PROGRAM, std::string(), std::move(handlers));
    EXPECT_FALSE(link.LaunchAudioRecord());
    EXPECT_FALSE(link.LaunchAudioRecord());
    EXPECT_FALSE(link.ConnectAudioRecord());
    QCoreApplication::processEvents();
    EXPECT_EQ(link.Launches(), 0);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_TRUE(said[0].contains(QStringLiteral("XDG_RUNTIME_DIR"))) << said[0].toStdString();

    // the watchdog tries once and then sleeps: there is nowhere to connect
    link.StartWatchdog();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.IsWatchdogSettled(); }, 5000));
    EXPECT_EQ(link.WatchdogPasses(), 1);
    link.StopWatchdog();
    EXPECT_FALSE(link.IsWatchdogRunning());
}

} // namespace
} // namespace vpc::panels
