#include "CSimKeypad.h"
#include "CommandPacket.h"

#include <gtest/gtest.h>

using vpc::hid::CommandPacket;
using namespace vpc::sim;

namespace {

std::vector<std::uint8_t> Packet(std::uint8_t command, std::uint8_t length = 0,
                                 std::uint16_t offset = 0, bool fixChecksum = true) {
    CommandPacket p = CommandPacket::Make(command);
    p.SetLength(length);
    p.SetOffset(offset);
    if (fixChecksum)
        p.UpdateChecksum();
    return {p.bytes.begin(), p.bytes.end()};
}

class SimKeypadTest : public ::testing::Test {
protected:
    void SetUp() override {
        keypad = CSimKeypad::Create();
        keypad->PlugCable(); // no transport attached: the model alone
    }
    std::shared_ptr<CSimKeypad> keypad;
};

TEST_F(SimKeypadTest, MalformedPacketsGetNoReplyAndAreLogged) {
    auto badSum = Packet(0x01);
    badSum[1] ^= 1;
    auto badId = Packet(0x01);
    badId[0] = 5;
    const std::vector<std::uint8_t> shortPacket(63, 0);
    for (const auto& p : {badSum, badId, shortPacket}) {
        const SimOutcome out = keypad->HandleOutputReport(SimLink::Cable, p);
        EXPECT_TRUE(out.reports.empty());
    }
    const auto log = keypad->PacketLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].note, "rejected: checksum");
    EXPECT_EQ(log[1].note, "rejected: report id or length");
    EXPECT_TRUE(keypad->AcceptedPackets().empty());
    EXPECT_FALSE(keypad->InSession());
}

TEST_F(SimKeypadTest, BlockWritesNeedASession) {
    const std::uint8_t before = keypad->Region(SimRegion::Param)[5];
    const std::uint8_t written = static_cast<std::uint8_t>(before + 9);
    CommandPacket request = CommandPacket::Make(0x06);
    request.SetLength(1);
    request.SetOffset(5);
    request.Data()[0] = written;
    request.UpdateChecksum();
    const std::vector<std::uint8_t> w(request.bytes.begin(), request.bytes.end());
    SimOutcome out = keypad->HandleOutputReport(SimLink::Cable, w);
    ASSERT_EQ(out.reports.size(), 1u);
    EXPECT_EQ(out.reports[0].bytes[7], 0xFF);
    EXPECT_EQ(keypad->SessionViolations(), 1);
    EXPECT_EQ(keypad->Region(SimRegion::Param)[5], before) << "refused outside a session";

    keypad->HandleOutputReport(SimLink::Cable, Packet(0x01));
    EXPECT_TRUE(keypad->InSession());
    out = keypad->HandleOutputReport(SimLink::Cable, w);
    EXPECT_EQ(out.reports[0].bytes[7], 0x00);
    EXPECT_EQ(keypad->Region(SimRegion::Param)[5], written);
    keypad->HandleOutputReport(SimLink::Cable, Packet(0x02));
    EXPECT_FALSE(keypad->InSession());
    out = keypad->HandleOutputReport(SimLink::Cable, Packet(0x02));
    EXPECT_EQ(out.reports[0].bytes[7], 0xFF) << "EndSession without a session";
}

TEST_F(SimKeypadTest, OutOfRangeAndUnknownCommandsAnswerStatusError) {
    struct Case {
        std::uint8_t command, length;
        std::uint16_t offset;
    };
    for (const Case c : {Case{0x03, 10, 30}, Case{0x1A, 57, 0}, Case{0x1A, 6, 51}, Case{0x42, 0, 0},
                         Case{0x05, 56, 1000}}) {
        const SimOutcome out =
            keypad->HandleOutputReport(SimLink::Cable, Packet(c.command, c.length, c.offset));
        ASSERT_EQ(out.reports.size(), 1u);
        EXPECT_EQ(out.reports[0].bytes[3], c.command);
        EXPECT_EQ(out.reports[0].bytes[7], 0xFF) << int(c.command);
    }
}

TEST_F(SimKeypadTest, ReceiverAnswersForItsWirelessDevice) {
    keypad->PlugReceiver();
    SimOutcome out = keypad->HandleOutputReport(SimLink::Receiver, Packet(0xAA));
    ASSERT_EQ(out.reports.size(), 1u);
    EXPECT_EQ(out.reports[0].bytes[3], 0xAA);
    EXPECT_EQ(out.reports[0].bytes[8], 0xFF);
    keypad->SetWirelessLink(false);
    out = keypad->HandleOutputReport(SimLink::Receiver, Packet(0xAA));
    EXPECT_EQ(out.reports[0].bytes[8], 0x00);
    out = keypad->HandleOutputReport(SimLink::Receiver, Packet(0x03, 24, 0));
    EXPECT_EQ(out.reports[0].bytes[3], 0xAA);
    // the cable is not affected by the radio
    out = keypad->HandleOutputReport(SimLink::Cable, Packet(0x03, 24, 0));
    EXPECT_EQ(out.reports[0].bytes[3], 0x03);
    EXPECT_EQ(out.reports[0].bytes[8 + 5], 21);
}

TEST_F(SimKeypadTest, FaultsHitOnlyMatchingPacketsAfterTheirSkip) {
    keypad->InjectFault(SimFault::Make(SimFaultKind::StatusBusy).OnCommand(0x1A).After(1).Times(2));
    EXPECT_EQ(keypad->HandleOutputReport(SimLink::Cable, Packet(0x1C)).reports[0].bytes[7], 0);
    EXPECT_EQ(keypad->HandleOutputReport(SimLink::Cable, Packet(0x1A, 6)).reports[0].bytes[7], 0);
    EXPECT_EQ(keypad->HandleOutputReport(SimLink::Cable, Packet(0x1A, 6)).reports[0].bytes[7],
              0xFE);
    EXPECT_EQ(keypad->HandleOutputReport(SimLink::Cable, Packet(0x1A, 6)).reports[0].bytes[7],
              0xFE);
    EXPECT_EQ(keypad->PendingFaults(), 0u);
    EXPECT_EQ(keypad->HandleOutputReport(SimLink::Cable, Packet(0x1A, 6)).reports[0].bytes[7], 0);

    keypad->InjectFault(SimFault::Make(SimFaultKind::TwoUnrelated));
    const SimOutcome out = keypad->HandleOutputReport(SimLink::Cable, Packet(0x1C));
    ASSERT_EQ(out.reports.size(), 3u);
    EXPECT_NE(out.reports[0].bytes[3], 0x1C);
    EXPECT_NE(out.reports[1].bytes[3], 0x1C);
    EXPECT_EQ(out.reports[2].bytes[3], 0x1C);
    EXPECT_EQ(keypad->LightControlNotices(), 2);
}

TEST_F(SimKeypadTest, PacketLogIsTimestampedInOrder) {
    keypad->HandleOutputReport(SimLink::Cable, Packet(0x01));
    keypad->HandleOutputReport(SimLink::Cable, Packet(0x02));
    const auto log = keypad->PacketLog();
    ASSERT_EQ(log.size(), 4u); // two requests, two replies
    EXPECT_EQ(log[0].direction, SimDirection::HostToDevice);
    EXPECT_EQ(log[1].direction, SimDirection::DeviceToHost);
    for (std::size_t i = 1; i < log.size(); ++i)
        EXPECT_LE(log[i - 1].time, log[i].time);
    keypad->ClearPacketLog();
    EXPECT_TRUE(keypad->PacketLog().empty());
}

TEST_F(SimKeypadTest, NotificationsAndProfileSwitch) {
    keypad->SwitchOnboardProfile(2);
    EXPECT_EQ(keypad->Region(SimRegion::Param)[0], 2);
    const auto log = keypad->PacketLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].bytes, (std::vector<std::uint8_t>{3, 0x02, 0x10}));
    keypad->SetBattery(57, 1);
    const auto status = keypad->Region(SimRegion::Status);
    EXPECT_EQ(status[0], 57);
    EXPECT_EQ(status[1], 1);
}

} // namespace
