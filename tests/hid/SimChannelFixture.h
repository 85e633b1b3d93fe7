// Test fixture: a simulated bus with one keypad and a command channel opened on it the way
// the main window opens it (through the bus's normal listing).
#pragma once

#include "CCommandChannel.h"
#include "CSimHidBackend.h"
#include "HidPath.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vpc::test {

// The path of a collection found by listing the bus, as discovery finds it.
inline std::string FindPath(hid::IHidBackend& backend, std::uint16_t productId,
                            unsigned collection) {
    hid::CHidDevice scanner(std::shared_ptr<hid::IHidBackend>(&backend, [](auto*) {}));
    if (!scanner.EnumerateInterfaces())
        return {};
    while (auto path = scanner.NextInterfacePath())
        if (hid::PathProductId(*path) == productId &&
            hid::PathCollectionNumber(*path) == collection)
            return *path;
    return {};
}

class SimChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = sim::CSimHidBackend::Create();
        keypad = bus->AddKeypad();
        keypad->PlugCable();
        keypad->PlugReceiver();
        channel = std::make_unique<hid::CCommandChannel>(bus);
        const std::string wired = FindPath(*bus, 0x5055, 4);
        const std::string receiver = FindPath(*bus, 0x5088, 4);
        ASSERT_FALSE(wired.empty());
        ASSERT_FALSE(receiver.empty());
        ASSERT_TRUE(channel->WiredInterface().Open(wired, true, true, true, false));
        ASSERT_TRUE(channel->ReceiverInterface().Open(receiver, true, true, true, false));
        UseWired();
        keypad->ClearPacketLog();
    }

    void UseWired() {
        channel->SetMode(1);
        channel->SetEnabled(true);
    }
    void UseReceiver() {
        channel->SetMode(2);
        channel->SetEnabled(true);
    }

    std::shared_ptr<sim::CSimHidBackend> bus;
    std::shared_ptr<sim::CSimKeypad> keypad;
    std::unique_ptr<hid::CCommandChannel> channel;
};

} // namespace vpc::test
