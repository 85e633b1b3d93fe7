// The simulated headset on the simulated bus: one path without "&col", its information block
// through the command protocol, and the light reports it was sent.
#include "CCommandChannel.h"
#include "CHidDevice.h"
#include "CSimHeadset.h"
#include "CSimHidBackend.h"
#include "HeadsetLightFrame.h"
#include "HidPath.h"

#include <gtest/gtest.h>

namespace vpc {
namespace {

TEST(SimHeadsetTest, OnePathCommandsAndLightReports) {
    auto bus = sim::CSimHidBackend::Create();
    auto headset = sim::CSimHeadset::Create();
    bus->Attach(headset);
    headset->PlugCable();
    const auto paths = bus->PathsOf(*headset, sim::SimLink::Cable);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_NE(paths[0].find("vid_0c76&pid_1630&mi_03"), std::string::npos) << paths[0];
    EXPECT_EQ(paths[0].find("&col"), std::string::npos);
    EXPECT_EQ(bus->CommandPath(*headset, sim::SimLink::Cable), paths[0]);

    hid::CCommandChannel channel(bus);
    ASSERT_TRUE(channel.WiredInterface().Open(paths[0], true, true, true, false));
    channel.SetMode(1);
    channel.SetEnabled(true);
    std::uint8_t info[34] = {};
    ASSERT_EQ(channel.ReadInfoBlock(info), 1);
    EXPECT_EQ(info[5], sim::CSimHeadset::kLedCount);
    EXPECT_EQ(channel.WiredInterface().Capabilities().outputReportByteLength, 64);

    std::vector<lighting::LedColor> leds(devices::headset::kHeadsetLedCount);
    leds[2] = {160, 64, 32, 255};
    const auto frame = devices::headset::BuildHeadsetLightFrame(leds);
    for (const auto& report : frame)
        EXPECT_TRUE(channel.WiredInterface().SendOutputReport(report.data(), report.size()));
    const auto received = headset->LightReports();
    ASSERT_EQ(received.size(), 12u);
    EXPECT_EQ(received[0][6], 159); // red of LED 2
    EXPECT_EQ(received[11][2], 0xAF);
    EXPECT_EQ(headset->AcceptedPackets(0x03).size(), 1u) << "light reports are no commands";
}

} // namespace
} // namespace vpc
