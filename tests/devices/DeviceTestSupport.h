// Test support for discovery and binding: a device list host without a window, a sink that
// hands every slot change straight to the binder, and a backend wrapper that fails on demand.
#pragma once

#include "DeviceBinder.h"
#include "DiscoveryThread.h"

#include "CSimHidBackend.h"
#include "HidPath.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vpc::test {

// The command path of one link of a simulated product.
inline std::string FindCommandPath(sim::CSimHidBackend& bus, const sim::CSimDevice& device,
                                   bool receiver) {
    return bus.CommandPath(device, receiver ? sim::SimLink::Receiver : sim::SimLink::Cable);
}

// The host side of binding without widgets: real device connections on the simulated bus and
// a record of what the binder asked the device list to do.
class FakeDeviceHost : public devices::IDeviceBinderHost {
public:
    explicit FakeDeviceHost(std::shared_ptr<hid::IHidBackend> backend) : m_backend(backend) {
        // the mouse and the keyboard exist from the start, as in the main window
        AddDevice(4);
        AddDevice(0);
    }

    devices::CDeviceConnection& AddDevice(int row) {
        const devices::DeviceIdentity& identity = devices::SupportedDeviceTable()[row];
        auto device = std::make_unique<devices::CDeviceConnection>(
            devices::KindOfModel(identity.modelCode), m_backend);
        device->SetIdentity(identity);
        m_devices.push_back(std::move(device));
        return *m_devices.back();
    }
    devices::CDeviceConnection& Keyboard() { return *m_devices[1]; }

    std::vector<devices::CDeviceConnection*> Devices() override {
        std::vector<devices::CDeviceConnection*> list;
        for (auto& device : m_devices)
            list.push_back(device.get());
        return list;
    }
    bool CreateDevice(int commandRow) override {
        ++created;
        AddDevice(commandRow);
        return true;
    }
    void ShowEntryForBinding(devices::CDeviceConnection&) override { ++shown; }
    void StartFirstLoad(devices::CDeviceConnection&) override { ++firstLoads; }
    void StartReceiverLinkCheck(devices::CDeviceConnection&) override { ++linkChecks; }
    void SendDeviceOnline(devices::CDeviceConnection&, bool online) override {
        online ? ++onlineSent : ++offlineSent;
    }
    void ReadDeviceStatus(devices::CDeviceConnection&) override { ++statusReads; }
    void OnCommandUnbound(devices::CDeviceConnection&) override { ++unbound; }
    void RefreshLightModeList(bool wired) override {
        wired ? ++wiredModeLists : ++receiverModeLists;
    }
    void AfterArrival() override { ++afterArrival; }

    int created = 0, shown = 0, firstLoads = 0, linkChecks = 0, onlineSent = 0, offlineSent = 0;
    int statusReads = 0, unbound = 0, wiredModeLists = 0, receiverModeLists = 0, afterArrival = 0;

private:
    std::shared_ptr<hid::IHidBackend> m_backend;
    std::vector<std::unique_ptr<devices::CDeviceConnection>> m_devices;
};

// Hands slot changes to the binder on the calling thread and records them in order.
class DirectSink : public devices::IDiscoverySink {
public:
    explicit DirectSink(devices::CDeviceBinder* binder = nullptr) : m_binder(binder) {}
    bool OnSlotArrived(int slot) override {
        events.push_back(slot);
        if (m_binder)
            m_binder->OnDeviceArrived(slot);
        return true;
    }
    bool OnSlotRemoved(int slot) override {
        events.push_back(-1 - slot);
        if (m_binder)
            m_binder->OnDeviceRemoved(slot);
        return true;
    }
    void OnFirstPassDone() override { ++firstPasses; }
    void OnAccessDenied(const std::string&) override { ++accessDenied; }

    std::vector<int> events; // slot for an arrival, -1 - slot for a removal
    std::atomic<int> firstPasses{0};
    int accessDenied = 0;

private:
    devices::CDeviceBinder* m_binder;
};

// Passes every call to the simulated bus, except that listings and opens can be made to fail.
class FlakyBackend : public hid::IHidBackend {
public:
    explicit FlakyBackend(std::shared_ptr<hid::IHidBackend> inner) : m_inner(std::move(inner)) {}

    bool ListInterfaces(std::vector<std::string>& paths) override {
        if (failListings > 0) {
            --failListings;
            paths.clear();
            return false;
        }
        return m_inner->ListInterfaces(paths);
    }
    bool Handles(const std::string& path) const override { return m_inner->Handles(path); }
    std::shared_ptr<hid::IHidConnection> Open(const std::string& path,
                                              const hid::HidOpenFlags& flags) override {
        if (denyOpen && (flags.read || flags.write) && denyOpen(path, flags))
            return nullptr;
        return m_inner->Open(path, flags);
    }
    std::vector<int> ChangeDescriptors() override {
        return silent ? std::vector<int>{} : m_inner->ChangeDescriptors();
    }
    bool TakeChanges() override { return m_inner->TakeChanges(); }

    std::atomic<int> failListings{0};
    bool silent = false; // tells of no change, as a system without notifications
    std::function<bool(const std::string&, const hid::HidOpenFlags&)> denyOpen;

private:
    std::shared_ptr<hid::IHidBackend> m_inner;
};

// A simulated bus with one keypad, the slot list, the binder and a discovery that the test
// runs one cycle at a time.
class BindingTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = sim::CSimHidBackend::Create();
        keypad = bus->AddKeypad();
        backend = std::make_shared<FlakyBackend>(bus);
        host = std::make_unique<FakeDeviceHost>(backend);
        binder = std::make_unique<devices::CDeviceBinder>(slotList, *host);
        sink = std::make_unique<DirectSink>(binder.get());
        discovery = std::make_unique<devices::CDiscoveryThread>(slotList, *sink, backend);
        discovery->SetAccessProbe([](const std::string&) { return false; });
    }
    void TearDown() override {
        discovery.reset();
        host.reset();
    }
    void Pass() { ASSERT_TRUE(discovery->RunCycle()); }

    std::shared_ptr<sim::CSimHidBackend> bus;
    std::shared_ptr<sim::CSimKeypad> keypad;
    std::shared_ptr<FlakyBackend> backend;
    devices::CSlotList slotList;
    std::unique_ptr<FakeDeviceHost> host;
    std::unique_ptr<devices::CDeviceBinder> binder;
    std::unique_ptr<DirectSink> sink;
    std::unique_ptr<devices::CDiscoveryThread> discovery;
};

} // namespace vpc::test
