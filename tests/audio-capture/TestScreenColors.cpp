// The companion's screen colours on an X11 display the test starts (Xvfb, 160 x 120): the left
// edge is painted 0xC01040 over a background of 0x3060A0, and the six words follow from reading
// every eighth pixel of the four 4-pixel edge strips. On Wayland nothing is sent and the reason
// is said once.
#include "AudioCaptureProtocol.h"
#include "PulseTestServer.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <array>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

namespace vpc::audiocapture {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;

class ScreenColorsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::OnPath("Xvfb")) {
            if (std::getenv("CI"))
                FAIL() << "Xvfb is not installed";
            GTEST_SKIP() << "Xvfb is not installed";
        }
        char pattern[] = "/tmp/vpc-screen-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
        m_display = ":" + std::to_string(70 + getpid() % 200);
        m_server =
            ChildProcess({"Xvfb", m_display, "-screen", "0", "160x120x24", "-nolisten", "tcp"},
                         {"PATH=/usr/bin:/bin"}, "/dev/null", m_folder + "/xvfb.log");
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        while (!m_x && std::chrono::steady_clock::now() < deadline) {
            xcb_connection_t* c = xcb_connect(m_display.c_str(), nullptr);
            if (c && !xcb_connection_has_error(c))
                m_x = c;
            else {
                if (c)
                    xcb_disconnect(c);
                std::this_thread::sleep_for(50ms);
            }
        }
        ASSERT_NE(m_x, nullptr) << "Xvfb did not start; see " << m_folder << "/xvfb.log";
    }
    void TearDown() override {
        m_companion.Stop();
        if (m_x)
            xcb_disconnect(m_x);
        m_server.Stop();
        if (!m_folder.empty())
            std::system(("rm -rf '" + m_folder + "'").c_str());
    }

    // Background 0x3060A0, the left 8 columns 0xC01040.
    void Paint() {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data;
        const std::uint32_t background = 0x3060A0;
        xcb_change_window_attributes(m_x, screen->root, XCB_CW_BACK_PIXEL, &background);
        xcb_clear_area(m_x, 0, screen->root, 0, 0, 0, 0);
        const xcb_gcontext_t gc = xcb_generate_id(m_x);
        const std::uint32_t foreground = 0xC01040;
        xcb_create_gc(m_x, gc, screen->root, XCB_GC_FOREGROUND, &foreground);
        const xcb_rectangle_t left{0, 0, 8, 120};
        xcb_poly_fill_rectangle(m_x, screen->root, gc, 1, &left);
        xcb_free_gc(m_x, gc);
        free(xcb_get_input_focus_reply(m_x, xcb_get_input_focus(m_x), nullptr)); // a round trip
    }

    void StartCompanion(std::vector<std::string> extraEnv) {
        std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + m_folder, "HOME=" + m_folder,
                                        "DISPLAY=" + m_display, "PATH=/usr/bin:/bin"};
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        m_companion = ChildProcess({VPC_AUDIO_CAPTURE_PROGRAM}, env, "/dev/null",
                                   m_folder + "/companion.log");
        const std::string path = SocketPath(m_folder);
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
    void Command(std::int32_t command, std::int32_t value = 0) {
        const std::array<std::int32_t, 3> record{static_cast<std::int32_t>(kTagCommand), command,
                                                 value};
        send(m_fd, record.data(), sizeof(record), MSG_NOSIGNAL);
    }
    // The next screen colour record (others are passed over), or none within the limit.
    std::optional<std::array<std::uint32_t, 6>> NextColors(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{m_fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            std::array<std::uint8_t, kMaxRecordBytes> buffer{};
            const ssize_t n = recv(m_fd, buffer.data(), buffer.size(), 0);
            std::uint32_t tag = 0;
            std::memcpy(&tag, buffer.data(), 4);
            if (tag == kTagScreenColors && n == 4 + 24) {
                std::array<std::uint32_t, 6> words{};
                std::memcpy(words.data(), buffer.data() + 4, 24);
                return words;
            }
        }
        return std::nullopt;
    }
    std::string Log() const {
        std::ifstream in(m_folder + "/companion.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string m_folder;
    std::string m_display;
    ChildProcess m_server;
    ChildProcess m_companion;
    xcb_connection_t* m_x = nullptr;
    int m_fd = -1;
};

TEST_F(ScreenColorsTest, TheEdgesGiveTheSixWordsAndTheWeightsScaleThem) {
    Paint();
    StartCompanion({});
    ASSERT_GE(m_fd, 0) << Log();
    Command(kCmdHello, 1);
    Command(kCmdStartScreenColors);
    // 400 samples: 128 of 0xC01040 (the left strip's 120 and 4 in each of the top and bottom
    // strips), 272 of 0x3060A0. Red (128 * 192 + 272 * 48) / 400 = 94, green 70, blue 129;
    // the top and bottom strips 8 of 160: 0x375C9B.
    const auto words = NextColors(5s);
    ASSERT_TRUE(words);
    EXPECT_EQ(*words, (std::array<std::uint32_t, 6>{94, 70, 129, 0xC01040, 0x3060A0, 0x375C9B}));

    Command(kCmdRedWeight, 128); // red at 128/255: 94 -> 47, 0xC0 -> 0x60, 0x30 -> 0x18
    Command(kCmdBlueWeight, 0);
    std::optional<std::array<std::uint32_t, 6>> weighed;
    for (int i = 0; i < 20 && (!weighed || (*weighed)[0] == 94); ++i)
        weighed = NextColors(2s);
    ASSERT_TRUE(weighed);
    EXPECT_EQ(*weighed, (std::array<std::uint32_t, 6>{47, 70, 0, 0x601000, 0x186000, 0x1B5C00}));

    Command(kCmdStopScreenColors);
    Command(kCmdQuit);
    EXPECT_EQ(m_companion.WaitForExit(10s), 0);
}

TEST_F(ScreenColorsTest, OnWaylandNothingIsSentAndTheReasonIsSaidOnce) {
    StartCompanion({"WAYLAND_DISPLAY=wayland-0"});
    ASSERT_GE(m_fd, 0) << Log();
    Command(kCmdHello, 1);
    Command(kCmdStartScreenColors);
    Command(kCmdStopScreenColors);
    Command(kCmdStartScreenColors);
    EXPECT_FALSE(NextColors(1500ms)) << "no screen colours on Wayland";
    Command(kCmdQuit);
    EXPECT_EQ(m_companion.WaitForExit(10s), 0);
    const std::string log = Log();
    const auto first = log.find("Wayland");
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find("Wayland", first + 1), std::string::npos) << "said once: " << log;
}

} // namespace
} // namespace vpc::audiocapture
