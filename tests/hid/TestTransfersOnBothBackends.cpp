// Time limits, Close from another thread and unplugging, run the same way over both backends:
// the simulated bus and the hidraw backend on emulated nodes, each serving the keypad model.
#include "CHidDevice.h"
#include "CHidrawTestbed.h"
#include "CSimHidBackend.h"
#include "CSimHidrawHost.h"
#include "CSimKeypad.h"
#include "CommandPacket.h"
#include "HidPath.h"
#include "HidrawBackend.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

using namespace std::chrono_literals;
using vpc::hid::CHidDevice;

namespace vpc::test {
namespace {

using Clock = std::chrono::steady_clock;

enum class Backend { Simulated, Hidraw };

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Simulated ? "Simulated" : "Hidraw";
}

class TransferTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        keypad = sim::CSimKeypad::Create();
        if (GetParam() == Backend::Simulated) {
            auto bus = sim::CSimHidBackend::Create();
            bus->Attach(keypad);
            backend = bus;
        } else {
            std::string why;
            testbed = hidemu::CHidrawTestbed::Create(true, &why);
            if (!testbed) {
                if (std::getenv("CI") != nullptr)
                    FAIL() << "emulated hidraw unavailable in CI: " << why;
                GTEST_SKIP() << "emulated hidraw unavailable: " << why;
            }
            host = hidemu::CSimHidrawHost::Create(*testbed);
            host->Attach(keypad);
            backend = std::make_shared<hid::CHidrawBackend>();
        }
        keypad->PlugCable();
        ASSERT_FALSE((commandPath = PathOfCollection(4)).empty());
        ASSERT_FALSE((notifyPath = PathOfCollection(3)).empty());
    }
    void TearDown() override {
        backend.reset();
        host.reset();
        testbed.reset();
    }

    std::string PathOfCollection(unsigned collection) {
        CHidDevice scanner(backend);
        if (!scanner.EnumerateInterfaces())
            return {};
        while (auto path = scanner.NextInterfacePath())
            if (hid::PathProductId(*path) == 0x5055 &&
                hid::PathCollectionNumber(*path) == collection)
                return *path;
        return {};
    }

    static bool SendStatusQuery(CHidDevice& device) {
        hid::CommandPacket packet = hid::CommandPacket::Make(0x1A);
        packet.UpdateChecksum();
        return device.Write(packet.bytes.data(), packet.bytes.size(), nullptr, 1000);
    }

    std::shared_ptr<sim::CSimKeypad> keypad;
    std::unique_ptr<hidemu::CHidrawTestbed> testbed;
    std::shared_ptr<hidemu::CSimHidrawHost> host;
    std::shared_ptr<hid::IHidBackend> backend;
    std::string commandPath, notifyPath;
};

TEST_P(TransferTest, TimeOutReturnsFalseAfterTheLimitAndTheHandleStaysUsable) {
    CHidDevice device(backend);
    ASSERT_TRUE(device.Open(notifyPath, true, false, true, false));
    std::array<std::uint8_t, 64> buffer{};
    std::size_t got = 99;
    const auto start = Clock::now();
    EXPECT_FALSE(device.Read(buffer.data(), buffer.size(), &got, 200));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 195ms);
    EXPECT_LT(waited, 2000ms);
    EXPECT_EQ(got, 0u);
    EXPECT_FALSE(device.IsReadPending());
    keypad->SendNotification(1026);
    ASSERT_TRUE(device.Read(buffer.data(), buffer.size(), &got, 2000));
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(buffer[0], 3); // the consumer collection's report id
}

TEST_P(TransferTest, ALateReplyWakesTheWaitingRead) {
    keypad->InjectFault(sim::SimFault::Make(sim::SimFaultKind::LateReply, 150ms).OnCommand(0x1A));
    keypad->PokeByte(sim::SimRegion::Status, 0, 57);
    CHidDevice device(backend);
    ASSERT_TRUE(device.Open(commandPath, true, true, true, false));
    ASSERT_TRUE(SendStatusQuery(device));
    std::array<std::uint8_t, 64> reply{};
    const auto start = Clock::now();
    ASSERT_TRUE(device.Read(reply.data(), reply.size(), nullptr, 10000));
    const auto waited = Clock::now() - start;
    EXPECT_EQ(reply[3], 0x1A);
    EXPECT_LT(waited, 5000ms) << "woken by the report, not by the limit";
}

TEST_P(TransferTest, CloseFromAnotherThreadEndsAReadWithoutLimitAndOpenWorksAgain) {
    CHidDevice device(backend);
    ASSERT_TRUE(device.Open(notifyPath, true, false, true, false));
    auto reader = std::async(std::launch::async, [&] {
        std::array<std::uint8_t, 64> in{};
        return device.Read(in.data(), in.size(), nullptr, CHidDevice::kInfinite);
    });
    while (!device.IsReadPending())
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(reader.wait_for(20ms), std::future_status::timeout) << "nothing to read yet";
    const auto start = Clock::now();
    device.Close();
    EXPECT_FALSE(device.IsReadPending()) << "Close returns only after the read ended";
    EXPECT_LT(Clock::now() - start, 2000ms);
    ASSERT_EQ(reader.wait_for(10s), std::future_status::ready);
    EXPECT_FALSE(reader.get());
    EXPECT_FALSE(device.IsOpen());
    // Open clears the cancel: the same object works again
    ASSERT_TRUE(device.Open(notifyPath, true, false, true, false));
    keypad->SendNotification(1025);
    std::array<std::uint8_t, 64> in{};
    EXPECT_TRUE(device.Read(in.data(), in.size(), nullptr, 2000));
    device.Close();
    if (testbed) {
        // the release reaches the node's server after close returns
        const std::string node = host->NodeOf(*keypad, sim::SimLink::Cable);
        for (int i = 0; i < 400 && testbed->Nodes()->OpenCount(node) != 0; ++i)
            std::this_thread::sleep_for(5ms);
        EXPECT_EQ(testbed->Nodes()->OpenCount(node), 0u);
    }
}

TEST_P(TransferTest, UnplugEndsAWaitingReadAtOnceAndTheDeviceWorksWhenPluggedAgain) {
    CHidDevice device(backend);
    ASSERT_TRUE(device.Open(commandPath, true, true, true, false));
    auto reader = std::async(std::launch::async, [&] {
        std::array<std::uint8_t, 64> in{};
        return device.Read(in.data(), in.size(), nullptr, CHidDevice::kInfinite);
    });
    while (!device.IsReadPending())
        std::this_thread::sleep_for(1ms);
    const auto start = Clock::now();
    keypad->UnplugCable();
    ASSERT_EQ(reader.wait_for(10s), std::future_status::ready) << "unplug must not hang a read";
    EXPECT_LT(Clock::now() - start, 2000ms);
    EXPECT_FALSE(reader.get());
    std::array<std::uint8_t, 64> buffer{};
    EXPECT_FALSE(device.Write(buffer.data(), buffer.size(), nullptr, 100));
    EXPECT_FALSE(device.Read(buffer.data(), buffer.size(), nullptr, CHidDevice::kInfinite));
    CHidDevice other(backend);
    EXPECT_FALSE(other.Open(commandPath, true, true, true, false));
    EXPECT_TRUE(PathOfCollection(4).empty());

    keypad->PlugCable(); // the node may come back under another name
    const std::string again = PathOfCollection(4);
    ASSERT_FALSE(again.empty());
    ASSERT_TRUE(device.Open(again, true, true, true, false));
    ASSERT_TRUE(SendStatusQuery(device));
    EXPECT_TRUE(device.Read(buffer.data(), buffer.size(), nullptr, 2000));
    EXPECT_EQ(buffer[3], 0x1A);
}

INSTANTIATE_TEST_SUITE_P(BothBackends, TransferTest,
                         ::testing::Values(Backend::Simulated, Backend::Hidraw), BackendName);

} // namespace
} // namespace vpc::test
