// The emulated node files themselves, through plain POSIX calls: hidraw's delivery rules that
// the end-to-end tests rely on.
#include "CFuseHidrawServer.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <future>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace std::chrono_literals;
using vpc::hidemu::CFuseHidrawServer;

namespace {

// An open file descriptor that closes itself.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::vector<std::uint8_t> Report(std::uint8_t first, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

class FuseHidrawServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        server = CFuseHidrawServer::Mount(&why);
        if (!server) {
            if (std::getenv("CI") != nullptr)
                FAIL() << "FUSE unavailable in CI: " << why;
            GTEST_SKIP() << "FUSE unavailable: " << why;
        }
        path = server->AddNode("hidraw0", [this](std::span<const std::uint8_t> report) {
            std::lock_guard lock(mutex);
            written.emplace_back(report.begin(), report.end());
        });
        ASSERT_FALSE(path.empty());
    }
    std::size_t WrittenCount() {
        std::lock_guard lock(mutex);
        return written.size();
    }

    std::unique_ptr<CFuseHidrawServer> server;
    std::string path;
    std::mutex mutex;
    std::vector<std::vector<std::uint8_t>> written;
};

TEST_F(FuseHidrawServerTest, BlockingReadTakesOneReportAndNeverHoldsUpAWrite) {
    Fd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    ASSERT_GE(fd.get(), 0);
    auto reader = std::async(std::launch::async, [&] {
        std::array<std::uint8_t, 256> buffer{};
        const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
        return std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + std::max<ssize_t>(n, 0));
    });
    while (server->OpenCount("hidraw0") == 0)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(50ms); // the read is parked in the server now
    // a write on the same descriptor goes through while the read waits, as on hidraw
    const auto out = Report(0x10, 64);
    ASSERT_EQ(::write(fd.get(), out.data(), out.size()), 64);
    EXPECT_EQ(WrittenCount(), 1u);
    EXPECT_EQ(reader.wait_for(0ms), std::future_status::timeout);

    server->Deliver("hidraw0", Report(1, 64));
    server->Deliver("hidraw0", Report(2, 3));
    ASSERT_EQ(reader.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(reader.get(), Report(1, 64)) << "one whole report, not two";
    std::array<std::uint8_t, 256> buffer{};
    ASSERT_EQ(::read(fd.get(), buffer.data(), buffer.size()), 3);
    EXPECT_EQ(buffer[0], 2);
}

TEST_F(FuseHidrawServerTest, EachOpenHasItsOwnQueueOfAtMost64Reports) {
    Fd first(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    Fd second(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    ASSERT_GE(first.get(), 0);
    ASSERT_GE(second.get(), 0);
    std::array<std::uint8_t, 64> buffer{};
    EXPECT_EQ(::read(first.get(), buffer.data(), buffer.size()), -1);
    EXPECT_EQ(errno, EAGAIN);
    pollfd idle{first.get(), POLLIN | POLLOUT, 0};
    EXPECT_EQ(::poll(&idle, 1, 0), 1);
    EXPECT_EQ(idle.revents, POLLOUT) << "writable, nothing to read";

    for (int i = 0; i < 70; ++i)
        server->Deliver("hidraw0", Report(static_cast<std::uint8_t>(i), 8));
    // a poller waiting on the second open sees the reports
    pollfd ready{second.get(), POLLIN, 0};
    ASSERT_EQ(::poll(&ready, 1, 5000), 1);
    EXPECT_TRUE(ready.revents & POLLIN);
    // the first 64 are kept and the newer ones dropped, on each open alike
    for (const Fd* fd : {&first, &second}) {
        int count = 0;
        while (::read(fd->get(), buffer.data(), buffer.size()) == 8) {
            EXPECT_EQ(buffer[0], count);
            ++count;
        }
        EXPECT_EQ(errno, EAGAIN);
        EXPECT_EQ(count, 64);
    }
}

TEST_F(FuseHidrawServerTest, UnplugEndsWaitsAndFailsEveryCall) {
    Fd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    ASSERT_GE(fd.get(), 0);
    server->Deliver("hidraw0", Report(7, 4));
    auto reader = std::async(std::launch::async, [&] {
        std::array<std::uint8_t, 64> buffer{};
        [[maybe_unused]] const ssize_t queued = ::read(fd.get(), buffer.data(), buffer.size());
        const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
        return n < 0 ? errno : 0;
    });
    std::this_thread::sleep_for(50ms);
    server->Unplug("hidraw0");
    ASSERT_EQ(reader.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(reader.get(), EIO);
    pollfd gone{fd.get(), POLLIN, 0};
    ASSERT_EQ(::poll(&gone, 1, 0), 1);
    EXPECT_TRUE(gone.revents & POLLHUP);
    EXPECT_TRUE(gone.revents & POLLERR);
    const auto out = Report(0, 64);
    EXPECT_EQ(::write(fd.get(), out.data(), out.size()), -1);
    EXPECT_EQ(errno, ENODEV);
    EXPECT_LT(::open(path.c_str(), O_RDWR | O_CLOEXEC), 0);
    EXPECT_FALSE(server->HasNode("hidraw0"));
    // the name can be served again
    EXPECT_EQ(server->AddNode("hidraw0", {}), path);
    Fd again(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    EXPECT_GE(again.get(), 0);
}

} // namespace
