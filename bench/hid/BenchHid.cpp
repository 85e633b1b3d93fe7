// Round trips through the command channel (simulated bus and emulated hidraw nodes) and the cost
// of one enumeration pass over 64 emulated hidraw interfaces, each against its own baseline.
#include "CCommandChannel.h"
#include "CHidDevice.h"
#include "CHidrawTestbed.h"
#include "CSimHidBackend.h"
#include "CSimHidrawHost.h"
#include "CSimKeypad.h"
#include "HidPath.h"
#include "HidrawBackend.h"
#include "HidrawEmuProcess.h"
#include "SimDescriptors.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <dirent.h>

namespace {

using vpc::hid::CCommandChannel;
using vpc::hid::CHidDevice;

std::string FindCommandPath(vpc::hid::IHidBackend& backend, std::uint16_t productId) {
    std::vector<std::string> paths;
    backend.ListInterfaces(paths);
    for (const std::string& path : paths)
        if (vpc::hid::PathProductId(path) == productId && vpc::hid::PathCollectionNumber(path) == 4)
            return path;
    return {};
}

// One status-block exchange per iteration: write, echo, status byte.
void RunRoundTrips(benchmark::State& state, CCommandChannel& channel) {
    std::array<std::uint8_t, 6> status{};
    std::int64_t failed = 0;
    for (auto _ : state) {
        if (channel.ReadStatusBlock(status.data(), status.size(), 0) != 1)
            ++failed;
        benchmark::DoNotOptimize(status);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["round_trips_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["failed"] = static_cast<double>(failed);
}

// The channel against the simulated bus.
void BM_ChannelRoundTripSimulator(benchmark::State& state) {
    auto bus = vpc::sim::CSimHidBackend::Create();
    auto keypad = bus->AddKeypad();
    keypad->PlugCable();
    CCommandChannel channel(bus);
    if (!channel.WiredInterface().Open(FindCommandPath(*bus, 0x5055), true, true, true, false)) {
        state.SkipWithError("the simulated keypad could not be opened");
        return;
    }
    channel.SetMode(1);
    channel.SetEnabled(true);
    RunRoundTrips(state, channel);
}
BENCHMARK(BM_ChannelRoundTripSimulator)->UseRealTime();

// Baseline: the same packet written and its echo read straight through CHidDevice, without
// the channel's locks, draining, framing and status handling.
void BM_RawWriteReadSimulator(benchmark::State& state) {
    auto bus = vpc::sim::CSimHidBackend::Create();
    auto keypad = bus->AddKeypad();
    keypad->PlugCable();
    CHidDevice device(bus);
    if (!device.Open(FindCommandPath(*bus, 0x5055), true, true, true, false)) {
        state.SkipWithError("the simulated keypad could not be opened");
        return;
    }
    vpc::hid::CommandPacket packet = vpc::hid::CommandPacket::Make(0x1A);
    packet.SetLength(6);
    packet.UpdateChecksum();
    std::array<std::uint8_t, 64> reply{};
    for (auto _ : state) {
        device.Write(packet.bytes.data(), packet.bytes.size(), nullptr, 1000);
        device.Read(reply.data(), reply.size(), nullptr, 1000);
        benchmark::DoNotOptimize(reply);
    }
    state.counters["round_trips_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RawWriteReadSimulator)->UseRealTime();

// The channel over the unchanged hidraw backend, the keypad model behind a FUSE-served node.
void BM_ChannelRoundTripEmulatedHidraw(benchmark::State& state) {
    std::string why;
    auto testbed = vpc::hidemu::CHidrawTestbed::Create(true, &why);
    if (!testbed) {
        state.SkipWithError(("emulated hidraw unavailable: " + why).c_str());
        return;
    }
    auto keypad = vpc::sim::CSimKeypad::Create();
    auto host = vpc::hidemu::CSimHidrawHost::Create(*testbed);
    host->Attach(keypad);
    keypad->PlugCable();
    auto backend = std::make_shared<vpc::hid::CHidrawBackend>();
    {
        CCommandChannel channel(backend);
        if (!channel.WiredInterface().Open(FindCommandPath(*backend, 0x5055), true, true, true,
                                           false)) {
            state.SkipWithError("the emulated keypad node could not be opened");
            return;
        }
        channel.SetMode(1);
        channel.SetEnabled(true);
        RunRoundTrips(state, channel);
    }
    host.reset();
}
BENCHMARK(BM_ChannelRoundTripEmulatedHidraw)->UseRealTime();

constexpr int kInterfaces = 64;
// The discovery thread walks the interfaces this often.
constexpr double kDiscoveryPeriodSeconds = 0.100;

std::unique_ptr<vpc::hidemu::CHidrawTestbed> MakeEnumerationTestbed(benchmark::State& state) {
    std::string why;
    auto testbed = vpc::hidemu::CHidrawTestbed::Create(false, &why);
    if (!testbed) {
        state.SkipWithError(("umockdev testbed unavailable: " + why).c_str());
        return nullptr;
    }
    vpc::hidemu::EmulatedInterface iface;
    iface.vendorId = 0x320F;
    iface.version = 0x0102;
    iface.interfaceNumber = 1;
    iface.name = "VORNA PAD QMT58";
    iface.reportDescriptor = vpc::sim::KeypadInterfaceDescriptor();
    for (int i = 0; i < kInterfaces; ++i) {
        iface.productId = static_cast<std::uint16_t>(0x5000 + i);
        if (testbed->Plug(iface).empty()) {
            state.SkipWithError("an emulated interface could not be added");
            return nullptr;
        }
    }
    return testbed;
}

// One full pass as discovery makes it: list every interface collection and walk the paths.
void BM_EnumerationPass64(benchmark::State& state) {
    auto testbed = MakeEnumerationTestbed(state);
    if (!testbed)
        return;
    CHidDevice scanner(std::make_shared<vpc::hid::CHidrawBackend>());
    std::size_t paths = 0;
    for (auto _ : state) {
        scanner.EnumerateInterfaces();
        paths = 0;
        while (auto path = scanner.NextInterfacePath()) {
            benchmark::DoNotOptimize(*path);
            ++paths;
        }
    }
    if (paths != kInterfaces * 4u)
        state.SkipWithError("the pass did not list every collection");
    state.counters["paths"] = static_cast<double>(paths);
    state.counters["interfaces"] = kInterfaces;
    // seconds per pass over the discovery period, as a share of the thread's time budget
    state.counters["fraction_of_100ms_period"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kDiscoveryPeriodSeconds,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EnumerationPass64)->UseRealTime()->Unit(benchmark::kMicrosecond);

// Baseline: only reading the class folder and the four sysfs files the backend reads for each
// node, without parsing anything.
void BM_SysfsReadBaseline64(benchmark::State& state) {
    auto testbed = MakeEnumerationTestbed(state);
    if (!testbed)
        return;
    std::vector<char> buffer(16384);
    for (auto _ : state) {
        DIR* dir = ::opendir("/sys/class/hidraw");
        if (dir == nullptr) {
            state.SkipWithError("no hidraw class in the testbed");
            return;
        }
        std::vector<std::string> names;
        while (dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.')
                names.emplace_back(entry->d_name);
        ::closedir(dir);
        for (const std::string& name : names) {
            for (const char* file : {"/device/uevent", "/device/report_descriptor", "/uevent",
                                     "/device/../../bcdDevice"}) {
                std::FILE* f = std::fopen(("/sys/class/hidraw/" + name + file).c_str(), "rb");
                if (f == nullptr)
                    continue;
                benchmark::DoNotOptimize(std::fread(buffer.data(), 1, buffer.size(), f));
                std::fclose(f);
            }
        }
    }
}
BENCHMARK(BM_SysfsReadBaseline64)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    vpc::hidemu::PrepareEmulatedHidrawProcess(argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
