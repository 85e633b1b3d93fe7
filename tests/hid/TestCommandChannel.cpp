#include "SimChannelFixture.h"

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <numeric>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using vpc::hid::CCommandChannel;
using vpc::hid::CommandPacket;
using vpc::sim::SimFault;
using vpc::sim::SimFaultKind;
using vpc::sim::SimLink;
using vpc::sim::SimRegion;

namespace vpc::test {
namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> head) {
    std::vector<std::uint8_t> packet(64, 0);
    std::size_t i = 0;
    for (int b : head)
        packet[i++] = static_cast<std::uint8_t>(b);
    return packet;
}

TEST(CommandPacketTest, BeginSessionBytesAndChecksum) {
    CommandPacket packet = CommandPacket::Make(0x01);
    packet.UpdateChecksum();
    EXPECT_EQ(std::vector<std::uint8_t>(packet.bytes.begin(), packet.bytes.end()),
              Bytes({0x04, 0x01, 0x00, 0x01}));
}

TEST(CommandPacketTest, ChecksumCoversEveryByteFrom3AndWraps) {
    CommandPacket packet = CommandPacket::Make(0xFF);
    std::fill(packet.bytes.begin() + 3, packet.bytes.end(), 0xFF);
    packet.UpdateChecksum();
    // 61 bytes of 0xFF = 15555 = 0x3CC3
    EXPECT_EQ(packet.Checksum(), 0x3CC3);
    packet.SetOffset(0x1234);
    EXPECT_EQ(packet.bytes[5], 0x34);
    EXPECT_EQ(packet.bytes[6], 0x12);
    EXPECT_FALSE(packet.HasValidChecksum());
}

TEST(CommandChannelStateTest, ConstructionAndModes) {
    auto bus = sim::CSimHidBackend::Create();
    CCommandChannel channel(bus);
    EXPECT_EQ(channel.GetBlockSize(), 512);
    EXPECT_FALSE(channel.IsBusy());
    EXPECT_FALSE(channel.IsEnabled());
    EXPECT_EQ(channel.GetMode(), 0);
    EXPECT_EQ(channel.GetChunkSize(), 24);
    struct Case {
        int argument;
        int mode;
        int chunk;
    };
    for (const Case c :
         {Case{2, 1, 24}, Case{1, 0, 56}, Case{0, 0, 56}, Case{7, 0, 56}, Case{-1, 0, 56}}) {
        channel.SetMode(c.argument);
        EXPECT_EQ(channel.GetMode(), c.mode) << c.argument;
        EXPECT_EQ(channel.GetChunkSize(), c.chunk) << c.argument;
    }
    EXPECT_FALSE(channel.SetBlockSize(513));
    EXPECT_EQ(channel.GetBlockSize(), 512);
    EXPECT_TRUE(channel.SetBlockSize(63));
    EXPECT_EQ(channel.GetBlockSize(), 63);
    EXPECT_TRUE(channel.SetBlockSize(512));
}

// The first packet each command puts on the wire (wired mode, factory memory).
TEST_F(SimChannelTest, PacketBytesOfEveryCommand) {
    std::array<std::uint8_t, 512> buffer{};
    std::array<std::uint8_t, 512> source{}; // WriteKeyTable reads a whole block
    std::iota(source.begin(), source.end(), 1);
    struct Case {
        const char* name;
        std::function<int()> call;
        std::vector<std::uint8_t> head; // bytes 0..7 of the first packet
        std::size_t dataBytes;          // data bytes copied from source
    };
    const std::vector<Case> cases = {
        {"BeginSession",
         [&] { return channel->BeginSession(); },
         {4, 0x01, 0, 0x01, 0, 0, 0, 0},
         0},
        {"EndSession", [&] { return channel->EndSession(); }, {4, 0x02, 0, 0x02, 0, 0, 0, 0}, 0},
        {"ReadInfoBlock",
         [&] { return channel->ReadInfoBlock(buffer.data()); },
         {4, 0x25, 0, 0x03, 34, 0, 0, 0},
         0},
        {"ReadParamMemory",
         [&] { return channel->ReadParamMemory(buffer.data(), 64, 128); },
         {4, 0xBD, 0, 0x05, 56, 128, 0, 0},
         0},
        {"WriteParamMemory",
         [&] { return channel->WriteParamMemory(source.data(), 3, 0x102); },
         {4, 0x12, 0, 0x06, 3, 2, 1, 0},
         3},
        {"ReadKeyTable",
         [&] { return channel->ReadKeyTable(buffer.data()); },
         {4, 0x3F, 0, 0x07, 56, 0, 0, 0},
         0},
        {"WriteKeyTable",
         [&] { return channel->WriteKeyTable(source.data(), 0); },
         {4, 0, 0, 0x09, 56, 0, 0, 0},
         56},
        {"WriteKeyColours",
         [&] { return channel->WriteKeyColours(source.data(), 6, 2, 384); },
         {4, 0, 0, 0x0B, 6, 0x00, 0x03, 0},
         6},
        {"WriteLightFrame",
         [&] { return channel->WriteLightFrame(source.data(), 63); },
         {4, 0, 0, 0x12, 56, 0, 0, 0},
         56},
        {"WriteMacroData",
         [&] { return channel->WriteMacroData(source.data(), 10); },
         {4, 0, 0, 0x15, 10, 0, 0, 0},
         10},
        {"WriteShootData",
         [&] { return channel->WriteShootData(source.data(), 10); },
         {4, 0, 0, 0x17, 10, 0, 0, 0},
         10},
        {"ReadStatusBlock",
         [&] { return channel->ReadStatusBlock(buffer.data(), 6, 0); },
         {4, 0x20, 0, 0x1A, 6, 0, 0, 0},
         0},
        {"ReadKeyLightMap",
         [&] { return channel->ReadKeyLightMap(buffer.data()); },
         {4, 0x53, 0, 0x1B, 56, 0, 0, 0},
         0},
        {"NotifyLightControl",
         [&] { return channel->NotifyLightControl(); },
         {4, 0x1C, 0, 0x1C, 0, 0, 0, 0},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        keypad->ClearPacketLog();
        // block writes need an open session in the device
        if (c.head[3] == 0x06 || c.head[3] == 0x09 || c.head[3] == 0x15) {
            ASSERT_EQ(channel->BeginSession(), 1);
        }
        if (c.head[3] == 0x02) {
            ASSERT_EQ(channel->BeginSession(), 1);
        }
        keypad->ClearPacketLog();
        EXPECT_EQ(c.call(), 1);
        const auto sent = keypad->AcceptedPackets();
        ASSERT_FALSE(sent.empty());
        std::vector<std::uint8_t> expected(64, 0);
        std::copy(c.head.begin(), c.head.end(), expected.begin());
        std::copy(source.begin(), source.begin() + static_cast<long>(c.dataBytes),
                  expected.begin() + 8);
        const std::uint16_t sum = CommandPacket::ComputeChecksum(expected.data());
        if (c.head[1] != 0) { // where the table gives the checksum, it must agree
            EXPECT_EQ(sum, c.head[1] | (c.head[2] << 8));
        }
        expected[1] = static_cast<std::uint8_t>(sum & 0xFF);
        expected[2] = static_cast<std::uint8_t>(sum >> 8);
        EXPECT_EQ(sent.front().bytes, expected);
        if (keypad->InSession()) {
            ASSERT_EQ(channel->EndSession(), 1);
        }
    }
}

TEST_F(SimChannelTest, QueryWirelessLinkPacketAndAnswers) {
    EXPECT_TRUE(channel->QueryWirelessLink()); // wired: true without sending
    EXPECT_TRUE(keypad->PacketLog().empty());
    UseReceiver();
    EXPECT_TRUE(channel->QueryWirelessLink());
    const auto sent = keypad->AcceptedPackets();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].bytes, Bytes({4, 0xAA, 0, 0xAA}));
    EXPECT_EQ(sent[0].link, SimLink::Receiver);
    keypad->SetWirelessLink(false);
    EXPECT_FALSE(channel->QueryWirelessLink());
}

struct ChunkCase {
    const char* name;
    int mode; // argument of SetMode
    std::function<int(CCommandChannel&)> call;
    std::vector<std::pair<int, int>> chunks; // (length, offset)
};

TEST_F(SimChannelTest, ChunkCountsAndOffsets) {
    static std::array<std::uint8_t, 512> buffer{};
    static std::array<std::uint8_t, 512> source{};
    const std::vector<ChunkCase> cases = {
        {"info block wired",
         1,
         [](CCommandChannel& c) { return c.ReadInfoBlock(buffer.data()); },
         {{34, 0}}},
        {"info block receiver",
         2,
         [](CCommandChannel& c) { return c.ReadInfoBlock(buffer.data()); },
         {{24, 0}, {10, 24}}},
        {"shoot wired",
         1,
         [](CCommandChannel& c) { return c.WriteShootData(source.data(), 120); },
         {{56, 0}, {56, 56}, {8, 112}}},
        {"shoot receiver",
         2,
         [](CCommandChannel& c) { return c.WriteShootData(source.data(), 120); },
         {{56, 0}, {56, 56}, {8, 112}}},
        {"param record receiver",
         2,
         [](CCommandChannel& c) { return c.ReadParamMemory(buffer.data(), 64, 128); },
         {{24, 128}, {24, 152}, {16, 176}}},
        {"colour bank 2 stride 512",
         1,
         [](CCommandChannel& c) { return c.WriteKeyColours(source.data(), 63, 2, 512); },
         {{56, 1024}, {7, 1080}}},
        {"light frame receiver",
         2,
         [](CCommandChannel& c) { return c.WriteLightFrame(source.data(), 63); },
         {{24, 0}, {24, 24}, {15, 48}}},
        {"key table of 63 bytes receiver",
         2,
         [](CCommandChannel& c) {
             c.SetBlockSize(63);
             return c.ReadKeyTable(buffer.data());
         },
         {{24, 0}, {24, 24}, {15, 48}}},
        {"key light map of 63 / 3 bytes",
         1,
         [](CCommandChannel& c) {
             c.SetBlockSize(63);
             return c.ReadKeyLightMap(buffer.data());
         },
         {{21, 0}}},
        {"empty transfer",
         1,
         [](CCommandChannel& c) { return c.WriteMacroData(source.data(), 0); },
         {}},
    };
    for (const ChunkCase& c : cases) {
        SCOPED_TRACE(c.name);
        channel->SetMode(c.mode);
        channel->SetBlockSize(512);
        keypad->ClearPacketLog();
        EXPECT_EQ(c.call(*channel), 1);
        const auto sent = keypad->AcceptedPackets();
        ASSERT_EQ(sent.size(), c.chunks.size());
        for (std::size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(sent[i].bytes[4], c.chunks[i].first) << "chunk " << i;
            EXPECT_EQ(sent[i].bytes[5] | (sent[i].bytes[6] << 8), c.chunks[i].second)
                << "chunk " << i;
        }
    }
}

TEST_F(SimChannelTest, BytesPastTheChunkKeepThePreviousChunk) {
    std::array<std::uint8_t, 120> shoot{};
    std::iota(shoot.begin(), shoot.end(), 1);
    ASSERT_EQ(channel->WriteShootData(shoot.data(), shoot.size()), 1);
    const auto sent = keypad->AcceptedPackets(0x17);
    ASSERT_EQ(sent.size(), 3u);
    // third chunk: 8 new bytes, then bytes 8..55 of the second chunk (values 65..112)
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(sent[2].bytes[8 + i], 113 + i);
    for (int i = 8; i < 56; ++i)
        EXPECT_EQ(sent[2].bytes[8 + i], 57 + i);
    EXPECT_EQ(keypad->Region(SimRegion::Shoot)[119], 120);
}

TEST_F(SimChannelTest, ReadsReturnDeviceMemoryInBothModes) {
    for (int mode : {1, 2}) {
        channel->SetMode(mode);
        std::array<std::uint8_t, 34> info{};
        ASSERT_EQ(channel->ReadInfoBlock(info.data()), 1);
        EXPECT_EQ(info[5], 21);
        EXPECT_EQ(info[6], 32);
        std::array<std::uint8_t, 512> keys{};
        ASSERT_TRUE(channel->SetBlockSize(21 * 3));
        ASSERT_EQ(channel->ReadKeyTable(keys.data()), 1);
        const auto table = keypad->Region(SimRegion::KeyTable);
        EXPECT_TRUE(std::equal(keys.begin(), keys.begin() + 63, table.begin()));
        std::array<std::uint8_t, 512> leds{};
        ASSERT_EQ(channel->ReadKeyLightMap(leds.data()), 1);
        EXPECT_EQ(leds[0], 20);
        EXPECT_EQ(leds[20], 0);
        EXPECT_EQ(leds[21], 0); // nothing past block size / 3
    }
}

TEST_F(SimChannelTest, StatusBlockTellsBatteryChargeAndLink) {
    struct Case {
        int mode;
        std::uint8_t battery, charge, link;
    };
    for (const Case c : {Case{1, 57, 1, 0}, Case{2, 12, 0, 1}, Case{1, 100, 2, 0}}) {
        channel->SetMode(c.mode);
        keypad->SetBattery(c.battery, c.charge);
        std::array<std::uint8_t, 6> status{};
        ASSERT_EQ(channel->ReadStatusBlock(status.data(), status.size(), 0), 1);
        EXPECT_EQ(status[0], c.battery);
        EXPECT_EQ(status[1], c.charge);
        EXPECT_EQ(status[3], c.link) << "mode " << c.mode;
    }
    // a read that starts past the link byte is plain memory
    std::array<std::uint8_t, 2> tail{};
    channel->SetMode(2);
    ASSERT_EQ(channel->ReadStatusBlock(tail.data(), tail.size(), 4), 1);
    EXPECT_EQ(tail, (std::array<std::uint8_t, 2>{0, 0}));
}

TEST_F(SimChannelTest, ConfigurationExchangeWritesParameterRecord) {
    std::array<std::uint8_t, 64> record{};
    std::iota(record.begin(), record.end(), 100);
    ASSERT_EQ(channel->BeginSession(), 1);
    ASSERT_EQ(channel->WriteParamMemory(record.data(), record.size(), 2 * 64), 1);
    ASSERT_EQ(channel->EndSession(), 1);
    const auto param = keypad->Region(SimRegion::Param);
    EXPECT_TRUE(std::equal(record.begin(), record.end(), param.begin() + 128));
    std::array<std::uint8_t, 64> back{};
    ASSERT_EQ(channel->ReadParamMemory(back.data(), back.size(), 128), 1);
    EXPECT_EQ(back, record);
    EXPECT_EQ(keypad->SessionViolations(), 0);
}

TEST_F(SimChannelTest, DisabledChannelSendsNothing) {
    channel->SetEnabled(false);
    std::array<std::uint8_t, 512> b{};
    const std::vector<std::function<int()>> calls = {
        [&] { return channel->BeginSession(); },
        [&] { return channel->EndSession(); },
        [&] { return channel->ReadInfoBlock(b.data()); },
        [&] { return channel->ReadParamMemory(b.data(), 1, 0); },
        [&] { return channel->WriteParamMemory(b.data(), 64, 0); },
        [&] { return channel->ReadKeyTable(b.data()); },
        [&] { return channel->WriteKeyTable(b.data(), 0); },
        [&] { return channel->WriteKeyColours(b.data(), 63, 0, 512); },
        [&] { return channel->WriteLightFrame(b.data(), 63); },
        [&] { return channel->WriteMacroData(b.data(), 100); },
        [&] { return channel->WriteShootData(b.data(), 100); },
        [&] { return channel->ReadStatusBlock(b.data(), 6, 0); },
        [&] { return channel->ReadKeyLightMap(b.data()); },
        [&] { return channel->NotifyLightControl(); },
        [&] { return channel->Transact(b.data(), 64, b.data() + 64, 64, nullptr); },
        [&] { return channel->TransactFast(b.data(), 64, b.data() + 64, 64, nullptr); },
    };
    for (std::size_t i = 0; i < calls.size(); ++i)
        EXPECT_EQ(calls[i](), 0) << "call " << i;
    EXPECT_TRUE(channel->QueryWirelessLink()); // wired mode answers without sending
    EXPECT_TRUE(keypad->PacketLog().empty());
    EXPECT_FALSE(channel->IsBusy());
}

TEST_F(SimChannelTest, RefusedRequestsSendNothing) {
    std::array<std::uint8_t, 512> b{};
    EXPECT_EQ(channel->WriteKeyTable(b.data(), 1), -201);
    EXPECT_EQ(channel->ReadStatusBlock(b.data(), 57, 0), 0);
    EXPECT_EQ(channel->ReadStatusBlock(b.data(), 6, 65531), 0);
    EXPECT_EQ(channel->WriteParamMemory(b.data(), 10, 65530), 0);
    EXPECT_EQ(channel->WriteKeyColours(b.data(), 63, 128, 512), 0); // 65536 + offset
    EXPECT_TRUE(keypad->PacketLog().empty());
    EXPECT_EQ(channel->WriteKeyColours(b.data(), 10, 127, 512), 1); // ends at 65034
    keypad->ClearPacketLog();
    EXPECT_EQ(channel->WriteKeyColours(b.data(), 513, 127, 512), 0); // 65024 + 513 > 65536
    EXPECT_TRUE(keypad->PacketLog().empty());
}

// The offsets are 16 bits: a transfer may end exactly at 0x10000, one byte more is refused.
TEST_F(SimChannelTest, TransfersEndingAtTheLastOffsetAreSent) {
    std::array<std::uint8_t, 512> b{};
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    // bank 127 of stride 512 starts at 65024: 512 bytes end exactly at 0x10000
    EXPECT_EQ(channel->WriteKeyColours(b.data(), 512, 127, 512), 1);
    const std::vector<std::uint8_t> colours = keypad->Region(sim::SimRegion::Colours);
    ASSERT_EQ(colours.size(), 0x10000u);
    EXPECT_EQ(colours[65023], 0);    // before the bank
    EXPECT_EQ(colours[65024], 3);    // b[0]
    EXPECT_EQ(colours[65535], 0xFC); // b[511] = 511 x 7 + 3 = 0xDFC
    keypad->ClearPacketLog();
    EXPECT_EQ(channel->WriteKeyColours(b.data(), 513, 127, 512), 0);
    EXPECT_EQ(channel->WriteKeyColours(b.data(), 1, 128, 512), 0); // bank 128 starts at 0x10000
    EXPECT_TRUE(keypad->PacketLog().empty());

    // the status read: 6 bytes at 65530 end at 0x10000 and go out (the keypad's status block
    // is 56 bytes long, so it answers with its error status); at 65531 they do not
    EXPECT_EQ(channel->ReadStatusBlock(b.data(), 6, 65530), -102);
    EXPECT_FALSE(keypad->PacketLog().empty());
    keypad->ClearPacketLog();
    EXPECT_EQ(channel->ReadStatusBlock(b.data(), 6, 65531), 0);
    // one packet's worth (56 bytes) is the longest status read
    EXPECT_EQ(channel->ReadStatusBlock(b.data(), 57, 0), 0);
    EXPECT_TRUE(keypad->PacketLog().empty());
    EXPECT_EQ(channel->ReadStatusBlock(b.data(), 56, 0), 1);
}

struct FaultCase {
    const char* name;
    SimFault fault;
    int mode;
    int expected;
};

TEST_F(SimChannelTest, ReturnCodesFromDeviceFaults) {
    const std::vector<FaultCase> cases = {
        {"status 0xFF", SimFault::Make(SimFaultKind::StatusError), 1, -102},
        {"status 0xFE", SimFault::Make(SimFaultKind::StatusBusy), 1, -103},
        {"status 0xFE on the receiver", SimFault::Make(SimFaultKind::StatusBusy), 2, -103},
        {"receiver answers 0xAA", SimFault::Make(SimFaultKind::ReceiverNoDevice), 2, -101},
        {"0xAA on the cable is just no echo", SimFault::Make(SimFaultKind::ReceiverNoDevice), 1, 0},
        {"unrelated report, then echo", SimFault::Make(SimFaultKind::UnrelatedBeforeEcho), 1, 1},
        {"two unrelated reports", SimFault::Make(SimFaultKind::TwoUnrelated), 1, 0},
        {"no reply at all", SimFault::Make(SimFaultKind::NoReply), 1, 0},
        {"reply 300 ms late on the cable", SimFault::Make(SimFaultKind::LateReply, 300ms), 1, 1},
        {"writes blocked past the limit", SimFault::Make(SimFaultKind::StallWrites, 1300ms), 1, -1},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        channel->SetMode(c.mode);
        SimFault fault = c.fault;
        fault.OnLink(c.mode == 2 ? SimLink::Receiver : SimLink::Cable);
        keypad->InjectFault(fault);
        std::array<std::uint8_t, 6> status{};
        status.fill(0x5A);
        const int result = channel->ReadStatusBlock(status.data(), status.size(), 0);
        EXPECT_EQ(result, c.expected);
        if (result != 1)
            EXPECT_EQ(status[0], 0x5A) << "no data may reach the destination on failure";
        else
            EXPECT_EQ(status[0], 100);
        // the channel works normally afterwards, whatever the device left queued
        keypad->ClearFaults();
        ASSERT_TRUE(bus->WaitForDelayedWork(5s)) << "the stall ends, late replies arrive";
        status.fill(0);
        EXPECT_EQ(channel->ReadStatusBlock(status.data(), status.size(), 0), 1);
        EXPECT_EQ(status[0], 100);
    }
}

TEST_F(SimChannelTest, ReceiverWithoutItsDeviceGivesMinus101) {
    UseReceiver();
    keypad->SetWirelessLink(false);
    std::array<std::uint8_t, 34> info{};
    EXPECT_EQ(channel->ReadInfoBlock(info.data()), -101);
    EXPECT_EQ(channel->BeginSession(), -101);
    keypad->SetWirelessLink(true);
    EXPECT_EQ(channel->ReadInfoBlock(info.data()), 1);
}

TEST_F(SimChannelTest, ReplyAfterTheTimeLimitIsNotTakenForTheNextEcho) {
    // the reply comes after both reads (2 x 1000 ms) gave up
    keypad->InjectFault(SimFault::Make(SimFaultKind::LateReply, 2300ms).OnCommand(0x1A));
    keypad->PokeByte(SimRegion::Status, 0, 11);
    std::array<std::uint8_t, 6> status{};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(channel->ReadStatusBlock(status.data(), status.size(), 0), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1900ms);
    keypad->PokeByte(SimRegion::Status, 0, 22);
    // the stale reply (battery 11) is queued before the next exchange starts
    ASSERT_TRUE(bus->WaitForDelayedWork(5s));
    EXPECT_EQ(channel->ReadStatusBlock(status.data(), status.size(), 0), 1);
    EXPECT_EQ(status[0], 22);
}

TEST_F(SimChannelTest, ChunkedReadStopsAtFirstFailureKeepingEarlierChunks) {
    UseReceiver();
    keypad->InjectFault(SimFault::Make(SimFaultKind::StatusError).OnCommand(0x05).After(1));
    std::array<std::uint8_t, 64> record{};
    record.fill(0xCC);
    EXPECT_EQ(channel->ReadParamMemory(record.data(), 64, 64), -102);
    const auto param = keypad->Region(SimRegion::Param);
    EXPECT_TRUE(std::equal(record.begin(), record.begin() + 24, param.begin() + 64));
    EXPECT_EQ(record[24], 0xCC);
    EXPECT_EQ(keypad->AcceptedPackets(0x05).size(), 2u);
}

TEST_F(SimChannelTest, UnplugInTheMiddleOfAChunkedWrite) {
    std::array<std::uint8_t, 512> table{};
    table.fill(0x42);
    keypad->InjectFault(SimFault::Make(SimFaultKind::UnplugBeforeReply).OnCommand(0x09).After(3));
    ASSERT_EQ(channel->BeginSession(), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(channel->WriteKeyTable(table.data(), 0), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms) << "a vanished device ends at once";
    EXPECT_EQ(keypad->AcceptedPackets(0x09).size(), 4u);
    EXPECT_FALSE(keypad->IsPlugged(SimLink::Cable));
    // three chunks reached the memory, the fourth not
    const auto memory = keypad->Region(SimRegion::KeyTable);
    EXPECT_EQ(memory[3 * 56 - 1], 0x42);
    EXPECT_NE(memory[3 * 56], 0x42);
    EXPECT_TRUE(FindPath(*bus, 0x5055, 4).empty());
    // the interface is gone, so the closing packet cannot be written
    EXPECT_EQ(channel->EndSession(), -1);
}

TEST_F(SimChannelTest, LightFrameChunksAreDroppedWhileBusy) {
    // a configuration exchange that waits for a late reply keeps the channel busy
    keypad->InjectFault(SimFault::Make(SimFaultKind::LateReply, 400ms).OnCommand(0x1A));
    std::thread config([&] {
        std::array<std::uint8_t, 6> status{};
        EXPECT_EQ(channel->ReadStatusBlock(status.data(), 6, 0), 1);
    });
    while (!channel->IsBusy())
        std::this_thread::sleep_for(1ms);
    std::array<std::uint8_t, 63> frame{};
    frame.fill(9);
    EXPECT_EQ(channel->WriteLightFrame(frame.data(), frame.size()), 1);
    config.join();
    EXPECT_TRUE(keypad->AcceptedPackets(0x12).empty());
    EXPECT_EQ(channel->WriteLightFrame(frame.data(), frame.size()), 1);
    EXPECT_EQ(keypad->AcceptedPackets(0x12).size(), 2u);
    EXPECT_EQ(keypad->LiveFramesReceived(), 1);
}

TEST_F(SimChannelTest, LiveFramesAndConfigurationFromTwoThreadsKeepTheirReplies) {
    // every reply comes 3 ms late, so that exchanges overlap in time
    keypad->InjectFault(SimFault::Make(SimFaultKind::LateReply, 3ms).Times(1000000));
    std::atomic<bool> stop{false};
    std::atomic<int> frameFailures{0};
    std::atomic<int> frames{0};
    std::thread lighting([&] {
        std::array<std::uint8_t, 63> frame{};
        while (!stop.load()) {
            frame.fill(static_cast<std::uint8_t>(frames.load()));
            if (channel->WriteLightFrame(frame.data(), frame.size()) != 1)
                ++frameFailures;
            ++frames;
        }
    });
    int mismatches = 0;
    // the assertions leave this lambda only: the lighting thread is stopped and joined below
    const auto configurationRounds = [&] {
        for (int round = 0; round < 40; ++round) {
            std::array<std::uint8_t, 64> record{};
            record.fill(static_cast<std::uint8_t>(round));
            record[0] = 0;
            ASSERT_EQ(channel->BeginSession(), 1);
            ASSERT_EQ(channel->WriteParamMemory(record.data(), 64, 64), 1);
            ASSERT_EQ(channel->EndSession(), 1);
            std::array<std::uint8_t, 64> back{};
            ASSERT_EQ(channel->ReadParamMemory(back.data(), 64, 64), 1);
            std::array<std::uint8_t, 6> status{};
            ASSERT_EQ(channel->ReadStatusBlock(status.data(), 6, 0), 1);
            if (back != record || status[0] != 100)
                ++mismatches;
        }
    };
    configurationRounds();
    stop = true;
    lighting.join();
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(frameFailures.load(), 0);
    EXPECT_GT(frames.load(), 0);
    EXPECT_EQ(keypad->SessionViolations(), 0);
}

TEST_F(SimChannelTest, HostileValuesPassThroughUnchanged) {
    for (int count : {0, 171, 255}) {
        keypad->SetKeyCount(static_cast<std::uint8_t>(count));
        std::array<std::uint8_t, 34> info{};
        ASSERT_EQ(channel->ReadInfoBlock(info.data()), 1);
        EXPECT_EQ(info[5], count);
        // a key table of count x 3 bytes does not fit a block above 512
        EXPECT_EQ(channel->SetBlockSize(static_cast<std::uint16_t>(count * 3)), count * 3 <= 512);
    }
    // LED numbers of 170 and above and lighting bytes above 4 arrive as the device sent them;
    // judging them is the business of the device classes
    channel->SetBlockSize(63);
    for (std::uint8_t led : {170, 200, 255}) {
        keypad->SetLedNumber(0, led);
        std::array<std::uint8_t, 512> leds{};
        ASSERT_EQ(channel->ReadKeyLightMap(leds.data()), 1);
        EXPECT_EQ(leds[0], led);
    }
    struct Lighting {
        std::uint8_t brightness, speedByte;
    };
    for (const Lighting l : {Lighting{5, 5}, Lighting{0xFF, 0x80}, Lighting{4, 0xFF}}) {
        keypad->SetBrightnessAndSpeed(1, l.brightness, l.speedByte);
        std::array<std::uint8_t, 64> record{};
        ASSERT_EQ(channel->ReadParamMemory(record.data(), record.size(), 64), 1);
        EXPECT_EQ(record[2], l.brightness);
        EXPECT_EQ(record[3], l.speedByte);
    }
}

TEST_F(SimChannelTest, TimeLimitsFollowModeAndSpeed) {
    // Each exchange reads at most twice with its limit, so a reply 1500 ms late is caught by
    // the second read only when the limit is above 750 ms.
    struct Case {
        const char* name;
        int mode;
        bool liveFrame; // TransactFast
        int expected;
    };
    for (const Case& c : {Case{"receiver, live frame: 500 ms", 2, true, 0},
                          Case{"receiver, command: 5000 ms", 2, false, 1},
                          Case{"cable, live frame: 1000 ms", 1, true, 1}}) {
        SCOPED_TRACE(c.name);
        channel->SetMode(c.mode);
        const SimLink link = c.mode == 2 ? SimLink::Receiver : SimLink::Cable;
        keypad->InjectFault(SimFault::Make(SimFaultKind::LateReply, 1500ms).OnLink(link));
        const auto start = std::chrono::steady_clock::now();
        std::array<std::uint8_t, 10> bytes{};
        const int result = c.liveFrame ? channel->WriteLightFrame(bytes.data(), bytes.size())
                                       : channel->ReadStatusBlock(bytes.data(), 6, 0);
        EXPECT_EQ(result, c.expected);
        // let the late reply arrive; the next exchange must drain it, not take it
        std::this_thread::sleep_until(start + 1600ms);
        std::array<std::uint8_t, 6> status{};
        EXPECT_EQ(channel->ReadStatusBlock(status.data(), status.size(), 0), 1);
        EXPECT_EQ(status[0], 100);
    }
}

} // namespace
} // namespace vpc::test
