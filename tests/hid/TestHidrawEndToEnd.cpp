// The hidraw backend, unchanged, against emulated hidraw interfaces: a umockdev sysfs and
// FUSE-served /dev nodes with hidraw's delivery rules.
#include "CCommandChannel.h"
#include "CHidDevice.h"
#include "CHidrawTestbed.h"
#include "CSimHidrawHost.h"
#include "CSimKeypad.h"
#include "HidPath.h"
#include "HidrawBackend.h"
#include "SimDescriptors.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <future>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using vpc::hid::CHidDevice;
using vpc::hidemu::CHidrawTestbed;
using vpc::hidemu::EmulatedInterface;

namespace vpc::test {
namespace {

using Clock = std::chrono::steady_clock;

EmulatedInterface KeypadInterface(std::uint16_t productId = 0x5055) {
    EmulatedInterface iface;
    iface.vendorId = 0x320F;
    iface.productId = productId;
    iface.version = 0x0102;
    iface.interfaceNumber = 1;
    iface.name = "VORNA PAD QMT58";
    iface.reportDescriptor = sim::KeypadInterfaceDescriptor();
    return iface;
}

// One vendor collection with 8-byte reports and no report ids.
EmulatedInterface SingleCollectionInterface(int interfaceNumber) {
    EmulatedInterface iface;
    iface.vendorId = 0x0C76;
    iface.productId = 0x1630;
    iface.version = 0x0200;
    iface.interfaceNumber = interfaceNumber;
    iface.name = "single collection";
    iface.reportDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00,
                              0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x08, 0x09, 0x01,
                              0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};
    return iface;
}

std::string PathOf(const std::string& node, const EmulatedInterface& iface, unsigned col) {
    return CHidrawTestbed::DevNode(node) + "#" +
           hid::MakeInterfaceTail(iface.vendorId, iface.productId, iface.interfaceNumber, col);
}

std::vector<std::string> ListAll(CHidDevice& device) {
    std::vector<std::string> paths;
    if (!device.EnumerateInterfaces())
        return paths;
    while (auto path = device.NextInterfacePath())
        paths.push_back(*path);
    return paths;
}

// Reports written to an emulated node, for the device side of a test.
class WrittenReports {
public:
    void Add(std::span<const std::uint8_t> report) {
        std::lock_guard lock(m_mutex);
        m_reports.emplace_back(report.begin(), report.end());
        m_changed.notify_all();
    }
    bool WaitFor(std::size_t count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 5s, [&] { return m_reports.size() >= count; });
    }
    std::vector<std::vector<std::uint8_t>> Take() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_reports, {});
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::vector<std::uint8_t>> m_reports;
};

class HidrawTestbedTest : public ::testing::Test {
protected:
    // Sysfs alone needs only the preload; device nodes need FUSE, that is root.
    void Prepare(bool withNodes) {
        std::string why;
        testbed = CHidrawTestbed::Create(withNodes, &why);
        if (!testbed) {
            if (std::getenv("CI") != nullptr)
                FAIL() << "emulated hidraw unavailable in CI: " << why;
            GTEST_SKIP() << "emulated hidraw unavailable: " << why;
        }
        backend = std::make_shared<hid::CHidrawBackend>(); // the real "/sys" and "/dev"
    }
    void TearDown() override {
        host.reset();
        testbed.reset();
    }

    std::unique_ptr<CHidrawTestbed> testbed;
    std::shared_ptr<hid::CHidrawBackend> backend;
    std::shared_ptr<hidemu::CSimHidrawHost> host;
};

class HidrawSysfsTest : public HidrawTestbedTest {
protected:
    void SetUp() override { Prepare(false); }
};

class HidrawNodeTest : public HidrawTestbedTest {
protected:
    void SetUp() override { Prepare(true); }

    // A keypad interface whose written reports are collected in written.
    std::string PlugKeypad() {
        return testbed->Plug(KeypadInterface(), [this](auto report) { written.Add(report); });
    }
    WrittenReports written;
};

TEST_F(HidrawSysfsTest, EnumerationGivesOnePathPerTopLevelCollection) {
    CHidDevice scanner(backend);
    auto paths = ListAll(scanner);
    EXPECT_TRUE(paths.empty()) << "a fresh testbed has no hidraw class";
    EXPECT_FALSE(scanner.NextInterfacePath().has_value());

    const auto keypad = KeypadInterface();
    const auto single = SingleCollectionInterface(2);
    const auto noInterface = SingleCollectionInterface(-1);
    const std::string n0 = testbed->Plug(keypad);
    const std::string n1 = testbed->Plug(single);
    const std::string n2 = testbed->Plug(noInterface);
    ASSERT_EQ(n0, "hidraw0");
    ASSERT_EQ(n2, "hidraw2");
    paths = ListAll(scanner);
    const std::vector<std::string> expected = {
        "/dev/hidraw0#vid_320f&pid_5055&mi_01&col01", "/dev/hidraw0#vid_320f&pid_5055&mi_01&col02",
        "/dev/hidraw0#vid_320f&pid_5055&mi_01&col03", "/dev/hidraw0#vid_320f&pid_5055&mi_01&col04",
        "/dev/hidraw1#vid_0c76&pid_1630&mi_02",       "/dev/hidraw2#vid_0c76&pid_1630"};
    EXPECT_EQ(paths, expected);

    const auto node = backend->ReadNode(n0);
    ASSERT_TRUE(node.has_value());
    EXPECT_EQ(node->devNode, "/dev/hidraw0");
    EXPECT_EQ(node->busType, 3);
    EXPECT_EQ(node->attributes.vendorId, 0x320F);
    EXPECT_EQ(node->attributes.productId, 0x5055);
    EXPECT_EQ(node->attributes.versionNumber, 0x0102) << "bcdDevice of the USB parent";
    EXPECT_EQ(node->interfaceNumber, 1);
    EXPECT_EQ(node->hidName, "VORNA PAD QMT58");
    EXPECT_EQ(node->reportDescriptor, keypad.reportDescriptor);
    EXPECT_EQ(node->collectionCount, 4u);
    EXPECT_EQ(backend->ReadNode(n2)->interfaceNumber, -1);
}

TEST_F(HidrawSysfsTest, AnUnreadableInterfaceIsSkippedAndTheRestListed) {
    struct Case {
        const char* what;
        std::function<void(CHidrawTestbed&, const std::string&)> damage;
    };
    const std::vector<Case> cases = {
        {"report descriptor gone",
         [](CHidrawTestbed& bed, const std::string& node) {
             ::unlink((bed.ClassDir(node) + "/../report_descriptor").c_str());
         }},
        {"uevent gone",
         [](CHidrawTestbed& bed, const std::string& node) {
             ::unlink((bed.ClassDir(node) + "/../uevent").c_str());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string first = testbed->Plug(SingleCollectionInterface(0));
        const std::string middle = testbed->Plug(SingleCollectionInterface(1));
        const std::string last = testbed->Plug(SingleCollectionInterface(2));
        c.damage(*testbed, middle);
        CHidDevice scanner(backend);
        const auto paths = ListAll(scanner);
        ASSERT_EQ(paths.size(), 2u);
        EXPECT_EQ(hid::PathInterfaceNumber(paths[0]), 0);
        EXPECT_EQ(hid::PathInterfaceNumber(paths[1]), 2);
        for (const std::string& node : {first, middle, last})
            testbed->Unplug(node);
    }
    // a descriptor the kernel itself would refuse hides only its own interface, and the
    // listing says once which node and why
    std::vector<std::string> log;
    backend->SetLogSink([&log](const std::string& line) { log.push_back(line); });
    struct Malformed {
        const char* what;
        std::vector<std::uint8_t> descriptor;
        const char* reason;
    };
    const std::vector<Malformed> malformed = {
        {"truncated item",
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x96, 0x08},
         "truncated item"},
        {"collection not closed",
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x08, 0x81, 0x02},
         "collection not closed"},
    };
    for (const Malformed& m : malformed) {
        SCOPED_TRACE(m.what);
        log.clear();
        auto hostile = SingleCollectionInterface(1);
        hostile.reportDescriptor = m.descriptor;
        const std::string good = testbed->Plug(SingleCollectionInterface(0));
        const std::string bad = testbed->Plug(hostile);
        const std::string keypad = testbed->Plug(KeypadInterface());
        CHidDevice scanner(backend);
        EXPECT_EQ(ListAll(scanner).size(), 1u + 4u);
        EXPECT_EQ(ListAll(scanner).size(), 1u + 4u);
        ASSERT_EQ(log.size(), 1u) << "said once, not at every listing";
        EXPECT_NE(log[0].find(CHidrawTestbed::DevNode(bad)), std::string::npos) << log[0];
        EXPECT_NE(log[0].find(m.reason), std::string::npos) << log[0];
        for (const std::string& node : {good, bad, keypad})
            testbed->Unplug(node);
    }
}

// The backend keeps what it read of each node between listings; a node name that passes
// to another device must be read afresh.
TEST_F(HidrawSysfsTest, ANodeNameTakenByAnotherDeviceIsReadAfresh) {
    CHidDevice scanner(backend);
    const std::string first = testbed->Plug(SingleCollectionInterface(2));
    ASSERT_EQ(ListAll(scanner),
              (std::vector<std::string>{PathOf(first, SingleCollectionInterface(2), 0)}));
    // unplugged and replaced between two listings
    ASSERT_TRUE(testbed->Unplug(first));
    const std::string second = testbed->Plug(KeypadInterface(0x5088));
    ASSERT_EQ(second, first);
    const auto paths = ListAll(scanner);
    ASSERT_EQ(paths.size(), 4u);
    EXPECT_EQ(paths[3], PathOf(second, KeypadInterface(0x5088), 4));
}

TEST_F(HidrawSysfsTest, ManyInterfacesAllListedInNodeOrder) {
    for (int i = 0; i < 20; ++i)
        ASSERT_FALSE(testbed->Plug(SingleCollectionInterface(i)).empty());
    CHidDevice scanner(backend);
    const auto paths = ListAll(scanner);
    ASSERT_EQ(paths.size(), 20u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(paths[static_cast<std::size_t>(i)],
                  PathOf("hidraw" + std::to_string(i), SingleCollectionInterface(i), 0));
}

TEST_F(HidrawNodeTest, OpenReadsIdentityAndCapabilitiesOfEachCollection) {
    const std::string node = PlugKeypad();
    ASSERT_FALSE(node.empty());
    struct Case {
        unsigned collection;
        std::uint16_t page, usage, inputLength, outputLength;
    };
    for (const Case& c : {Case{1, 0x0001, 0x06, 9, 2}, Case{2, 0x0001, 0x80, 2, 0},
                          Case{3, 0x000C, 0x01, 3, 0}, Case{4, 0xFF1C, 0x92, 64, 64}}) {
        SCOPED_TRACE(c.collection);
        CHidDevice device(backend);
        ASSERT_TRUE(
            device.Open(PathOf(node, KeypadInterface(), c.collection), true, false, true, false));
        EXPECT_EQ(device.Attributes().vendorId, 0x320F);
        EXPECT_EQ(device.Attributes().productId, 0x5055);
        EXPECT_EQ(device.Attributes().versionNumber, 0x0102);
        EXPECT_EQ(device.InterfaceNumber(), 1u);
        EXPECT_EQ(device.CollectionNumber(), c.collection);
        EXPECT_EQ(device.Capabilities().usagePage, c.page);
        EXPECT_EQ(device.Capabilities().usage, c.usage);
        EXPECT_EQ(device.Capabilities().inputReportByteLength, c.inputLength);
        EXPECT_EQ(device.Capabilities().outputReportByteLength, c.outputLength);
        EXPECT_EQ(device.ReportBuffer(hid::HidReportType::Input).size(), c.inputLength);
    }
    // a path whose numbers no longer match the node opens nothing
    CHidDevice device(backend);
    EXPECT_FALSE(device.Open(PathOf(node, KeypadInterface(0x5088), 4), true, true, true, false));
    EXPECT_FALSE(device.Open(PathOf(node, KeypadInterface(), 5), true, true, true, false));
}

TEST_F(HidrawNodeTest, AllByteValuesTravelBothWays) {
    const std::string node = PlugKeypad();
    CHidDevice device(backend);
    ASSERT_TRUE(device.Open(PathOf(node, KeypadInterface(), 4), true, true, true, false));
    // five 64-byte reports carry every byte value after the report id
    std::vector<std::array<std::uint8_t, 64>> reports(5);
    for (std::size_t r = 0; r < reports.size(); ++r) {
        reports[r][0] = 4;
        for (std::size_t i = 1; i < 64; ++i)
            reports[r][i] = static_cast<std::uint8_t>((r * 63 + i - 1) & 0xFF);
    }
    for (const auto& report : reports) {
        std::size_t sent = 0;
        ASSERT_TRUE(device.Write(report.data(), report.size(), &sent, 1000));
        EXPECT_EQ(sent, 64u);
    }
    // the control path (no hidraw ioctl on an emulated node) falls back to a plain write
    ASSERT_TRUE(device.SendOutputReport(reports[0].data(), reports[0].size()));
    ASSERT_TRUE(written.WaitFor(6));
    const auto got = written.Take();
    ASSERT_EQ(got.size(), 6u);
    for (std::size_t r = 0; r < reports.size(); ++r)
        EXPECT_TRUE(std::equal(got[r].begin(), got[r].end(), reports[r].begin(), reports[r].end()))
            << "report " << r;

    for (const auto& report : reports)
        testbed->Deliver(node, report);
    for (std::size_t r = 0; r < reports.size(); ++r) {
        std::array<std::uint8_t, 64> in{};
        std::size_t received = 0;
        ASSERT_TRUE(device.Read(in.data(), in.size(), &received, 1000));
        EXPECT_EQ(received, 64u);
        EXPECT_EQ(in, reports[r]) << "report " << r;
    }
}

TEST_F(HidrawNodeTest, EveryOpenOfANodeGetsEveryReportOnePerRead) {
    const std::string node = PlugKeypad();
    CHidDevice command(backend), commandToo(backend), notify(backend);
    ASSERT_TRUE(command.Open(PathOf(node, KeypadInterface(), 4), true, true, true, false));
    ASSERT_TRUE(commandToo.Open(PathOf(node, KeypadInterface(), 4), true, false, true, false));
    ASSERT_TRUE(notify.Open(PathOf(node, KeypadInterface(), 3), true, false, true, false));
    EXPECT_EQ(testbed->Nodes()->OpenCount(node), 3u);

    std::array<std::uint8_t, 64> echo{4, 0, 0, 0x1C};
    const std::array<std::uint8_t, 3> notification{3, 0x02, 0x10};
    testbed->Deliver(node, echo);
    testbed->Deliver(node, notification);
    testbed->Deliver(node, echo);

    for (CHidDevice* device : {&command, &commandToo}) {
        for (int i = 0; i < 2; ++i) {
            std::array<std::uint8_t, 128> in{};
            std::size_t received = 0;
            ASSERT_TRUE(device->Read(in.data(), in.size(), &received, 1000));
            EXPECT_EQ(received, 64u) << "one report per read, never two";
            EXPECT_EQ(in[3], 0x1C);
        }
    }
    // the notification collection sees only its own report id on the shared node
    std::array<std::uint8_t, 64> in{};
    std::size_t received = 0;
    ASSERT_TRUE(notify.Read(in.data(), in.size(), &received, 1000));
    EXPECT_EQ(received, 3u);
    EXPECT_EQ(in[0], 3);
    EXPECT_EQ(in[2], 0x10);
    EXPECT_FALSE(notify.Read(in.data(), in.size(), &received, 50));
}

// The keypad's firmware model behind a real hidraw node, driven by the unchanged channel.
class HidrawKeypadTest : public HidrawNodeTest {
protected:
    void SetUp() override {
        HidrawNodeTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        keypad = sim::CSimKeypad::Create();
        host = hidemu::CSimHidrawHost::Create(*testbed);
        host->Attach(keypad);
        keypad->PlugCable();
        ASSERT_FALSE(host->NodeOf(*keypad, sim::SimLink::Cable).empty());
        channel = std::make_unique<hid::CCommandChannel>(backend);
        std::string commandPath;
        CHidDevice scanner(backend);
        for (const std::string& path : ListAll(scanner))
            if (hid::PathProductId(path) == 0x5055 && hid::PathCollectionNumber(path) == 4)
                commandPath = path;
        ASSERT_TRUE(channel->WiredInterface().Open(commandPath, true, true, true, false));
        channel->SetMode(1);
        channel->SetEnabled(true);
    }
    void TearDown() override {
        channel.reset();
        HidrawNodeTest::TearDown();
    }
    std::shared_ptr<sim::CSimKeypad> keypad;
    std::unique_ptr<hid::CCommandChannel> channel;
};

TEST_F(HidrawKeypadTest, ConfigurationExchangeThroughHidraw) {
    ASSERT_EQ(channel->BeginSession(), 1);
    std::array<std::uint8_t, 34> info{};
    ASSERT_EQ(channel->ReadInfoBlock(info.data()), 1);
    EXPECT_EQ(info[5], 21);
    std::array<std::uint8_t, 64> record{};
    for (std::size_t i = 0; i < record.size(); ++i)
        record[i] = static_cast<std::uint8_t>(0xC0 + i);
    ASSERT_EQ(channel->WriteParamMemory(record.data(), record.size(), 2 * 64), 1);
    ASSERT_EQ(channel->EndSession(), 1);
    const auto param = keypad->Region(sim::SimRegion::Param);
    EXPECT_TRUE(std::equal(record.begin(), record.end(), param.begin() + 128));
    EXPECT_EQ(keypad->SessionViolations(), 0);
}

TEST_F(HidrawKeypadTest, ReturnCodesFromFaultsThroughHidraw) {
    using sim::SimFault;
    using sim::SimFaultKind;
    struct Case {
        SimFault fault;
        int expected;
    };
    const std::vector<Case> cases = {
        {SimFault::Make(SimFaultKind::StatusError), -102},
        {SimFault::Make(SimFaultKind::StatusBusy), -103},
        {SimFault::Make(SimFaultKind::UnrelatedBeforeEcho), 1},
        {SimFault::Make(SimFaultKind::TwoUnrelated), 0},
        {SimFault::Make(SimFaultKind::LateReply, 100ms), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault.kind));
        keypad->InjectFault(c.fault);
        EXPECT_EQ(channel->NotifyLightControl(), c.expected);
    }
    // the echo that came after two unrelated reports is drained, not taken by the next exchange
    std::array<std::uint8_t, 6> status{};
    EXPECT_EQ(channel->ReadStatusBlock(status.data(), status.size(), 0), 1);
    EXPECT_EQ(status[0], 100);
}

TEST_F(HidrawKeypadTest, DeviceInitiatedReportsReachTheNotificationCollection) {
    CHidDevice notify(backend);
    const std::string path = channel->WiredInterface().DevicePath();
    const std::string notifyPath = path.substr(0, path.size() - 2) + "03"; // "&col04" -> 03
    ASSERT_TRUE(notify.Open(notifyPath, true, false, true, false));
    keypad->SwitchOnboardProfile(2);
    std::array<std::uint8_t, 64> in{};
    std::size_t received = 0;
    ASSERT_TRUE(notify.Read(in.data(), in.size(), &received, 1000));
    EXPECT_EQ(received, 3u);
    EXPECT_EQ(in[0], 3);
    EXPECT_EQ(in[1] | (in[2] << 8), 0x1002);
    ASSERT_TRUE(notify.UnpackReport(in.data(), static_cast<std::uint16_t>(received),
                                    hid::HidReportType::Input));
    const auto& items = notify.DataItems(hid::HidReportType::Input);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_TRUE(items[0].isSet);
    EXPECT_EQ(items[0].usages.at(0), 0x1002) << "the code decodes as a consumer usage";
    // the command exchange that follows is not disturbed by the notification
    std::array<std::uint8_t, 6> status{};
    EXPECT_EQ(channel->ReadStatusBlock(status.data(), status.size(), 0), 1);
    EXPECT_EQ(status[0], 100);
}

TEST_F(HidrawKeypadTest, UnplugDuringAChunkedWriteEndsAtOnce) {
    std::array<std::uint8_t, 512> table{};
    table.fill(0x42);
    keypad->InjectFault(
        sim::SimFault::Make(sim::SimFaultKind::UnplugBeforeReply).OnCommand(0x09).After(2));
    ASSERT_EQ(channel->BeginSession(), 1);
    EXPECT_EQ(channel->WriteKeyTable(table.data(), 0), 0);
    EXPECT_EQ(keypad->AcceptedPackets(0x09).size(), 3u);
    EXPECT_EQ(channel->EndSession(), -1) << "nothing can be written to a vanished node";
    CHidDevice scanner(backend);
    EXPECT_TRUE(ListAll(scanner).empty());
}

} // namespace
} // namespace vpc::test
