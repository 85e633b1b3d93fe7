// The full configuration write of the keypad (onboard record, key table and custom colour
// bank), as the keyboard device sends it on connection, over the cable and through the
// receiver. Each run also sends the same bytes with the fewest packets the protocol allows
// (one exchange around the two block writes, every chunk full) and reports both packet
// counts, both times and their ratios.
#include "CorvaneKeyboardDevice.h"

#include "CSimHidBackend.h"
#include "CustomColourBank.h"
#include "KeyboardTables.h"
#include "MacroImage.h"
#include "MacroStore.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <memory>

namespace {

using vpc::devices::CCorvaneKeyboardDevice;
using vpc::hid::CCommandChannel;
using vpc::sim::SimLink;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kRecordBytes = 64;

// Packets for `bytes` bytes in chunks of `chunk`.
std::int64_t Chunks(std::size_t bytes, std::size_t chunk) {
    return static_cast<std::int64_t>((bytes + chunk - 1) / chunk);
}

struct Bench {
    QTemporaryDir userRoot;
    std::shared_ptr<vpc::sim::CSimHidBackend> bus;
    std::shared_ptr<vpc::sim::CSimKeypad> keypad;
    std::unique_ptr<CCorvaneKeyboardDevice> device;

    bool Connect(SimLink link) {
        qputenv("VPC_USER_DATA_ROOT", userRoot.path().toUtf8());
        qputenv("VPC_DEFAULT_DATA_DIR", VPC_BENCH_DEFAULT_DATA);
        bus = vpc::sim::CSimHidBackend::Create();
        keypad = bus->AddKeypad();
        keypad->PlugCable();
        keypad->PlugReceiver();
        vpc::hid::SetDefaultHidBackend(bus);
        device = std::make_unique<CCorvaneKeyboardDevice>();
        device->SetDeviceName(QStringLiteral("keyboard"));
        device->SetLightType(0);
        device->Init();
        CCommandChannel& channel = device->Channel();
        vpc::hid::CHidDevice& iface =
            link == SimLink::Cable ? channel.WiredInterface() : channel.ReceiverInterface();
        if (!iface.Open(bus->CommandPath(*keypad, link), true, true, true, false))
            return false;
        channel.SetMode(link == SimLink::Cable ? 1 : 2);
        channel.SetEnabled(true);
        device->OnDeviceArrived();
        // custom colours, so the colour bank is part of the configuration
        device->SetLightInfo(19u | (4u << 8), 0xFF000000u, 0, 0);
        device->ApplyLightSettings();
        return device->IsConfigValid();
    }

    ~Bench() {
        if (device)
            device->StopWorkers();
        device.reset();
        vpc::hid::SetDefaultHidBackend(nullptr);
    }
};

// The same bytes with the fewest packets: one exchange around the record and the key table,
// then the colour bank, each in full chunks.
int MinimalWrite(CCommandChannel& channel, const CCorvaneKeyboardDevice& device) {
    const auto& config = device.Config();
    std::array<std::uint8_t, vpc::devices::keyboard::kTableBufferSize> keys{};
    std::copy_n(config.keyTable.begin(), config.keyCount * 3, keys.begin());
    const std::vector<std::uint8_t> colours(static_cast<std::size_t>(config.keyCount) * 3, 0x40);
    int ok = channel.BeginSession();
    ok &= channel.WriteParamMemory(device.OnboardRecord().data(), kRecordBytes, 0);
    ok &= channel.WriteKeyTable(keys.data(), 0);
    ok &= channel.EndSession();
    ok &= channel.WriteKeyColours(colours.data(), colours.size(), 0,
                                  vpc::devices::keyboard::kGroupWriteStride);
    return ok;
}

void BM_FullConfigurationWrite(benchmark::State& state) {
    const SimLink link = state.range(0) == 0 ? SimLink::Cable : SimLink::Receiver;
    Bench bench;
    if (!bench.Connect(link)) {
        state.SkipWithError("the simulated keypad did not connect");
        return;
    }
    CCommandChannel& channel = bench.device->Channel();
    const int keyCount = bench.device->Config().keyCount;
    const std::size_t chunk = channel.GetChunkSize();

    std::int64_t packets = 0;
    std::int64_t minimalPackets = 0;
    std::int64_t failed = 0;
    double oursSeconds = 0;
    double minimalSeconds = 0;
    for (auto _ : state) {
        bench.keypad->ClearPacketLog();
        const auto start = Clock::now();
        failed += bench.device->WriteOnboardProfile(0, 0, 1, 0, 0) != 1;
        failed += bench.device->DownloadCurrentKeyAssignments(0) != 1;
        bench.device->LoadCustomColors();
        const auto middle = Clock::now();
        packets += static_cast<std::int64_t>(bench.keypad->AcceptedPackets().size());

        state.PauseTiming();
        bench.keypad->ClearPacketLog();
        const auto minimalStart = Clock::now();
        failed += MinimalWrite(channel, *bench.device) != 1;
        minimalSeconds += std::chrono::duration<double>(Clock::now() - minimalStart).count();
        minimalPackets += static_cast<std::int64_t>(bench.keypad->AcceptedPackets().size());
        state.ResumeTiming();
        oursSeconds += std::chrono::duration<double>(middle - start).count();
    }
    const double n = static_cast<double>(state.iterations());
    const std::int64_t bytes = static_cast<std::int64_t>(kRecordBytes) + 2 * keyCount * 3;
    const std::int64_t fewest =
        2 + Chunks(kRecordBytes, chunk) + 2 * Chunks(static_cast<std::size_t>(keyCount) * 3, chunk);
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["packets"] = static_cast<double>(packets) / n;
    state.counters["fewest_packets"] = static_cast<double>(fewest);
    state.counters["fewest_sent"] = static_cast<double>(minimalPackets) / n;
    state.counters["packet_ratio"] = static_cast<double>(packets) / n / static_cast<double>(fewest);
    state.counters["time_us"] = oursSeconds / n * 1e6;
    state.counters["fewest_time_us"] = minimalSeconds / n * 1e6;
    state.counters["time_ratio"] = minimalSeconds > 0 ? oursSeconds / minimalSeconds : 0;
    state.counters["failed"] = static_cast<double>(failed);
    state.SetLabel(link == SimLink::Cable ? "cable, chunk 56" : "receiver, chunk 24");
}
BENCHMARK(BM_FullConfigurationWrite)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The largest macro image the keypad takes (its whole macro memory) written as the device
// writes it, against one exchange around the same bytes in full chunks. The device's call
// runs on the UI thread: its time is how long the window would not answer.
void BM_FullMacroDownload(benchmark::State& state) {
    const SimLink link = state.range(0) == 0 ? SimLink::Cable : SimLink::Receiver;
    Bench bench;
    if (!bench.Connect(link)) {
        state.SkipWithError("the simulated keypad did not connect");
        return;
    }
    // one macro that fills the memory: 16 + 6 + 4 x E bytes of 32 x 128
    const std::size_t capacity = std::size_t{vpc::sim::CSimKeypad::kMacroCapacityUnits} * 128;
    const std::size_t actions = (capacity - 16 - 6) / 4;
    vpc::data::CMacroStore store(std::filesystem::path(bench.userRoot.path().toStdString()) /
                                 "keyboard");
    store.Add();
    Json::Value action;
    action["Action"] = "down";
    action["Button"] = 4;
    action["Type"] = 10;
    action["Delay"] = "20";
    store.SaveEvents(0, std::vector<Json::Value>(std::min<std::size_t>(actions, 254), action));
    // 254 actions is the longest macro a keypad plays; the rest of the memory in more macros
    std::vector<int> macros = {0};
    std::size_t length = 16 + 6 + 4 * 254;
    while (length + 6 + 4 * 254 <= capacity) {
        macros.push_back(0);
        length += 6 + 4 * 254;
    }
    std::vector<vpc::data::EncodedMacro> image(macros.size(),
                                               vpc::data::EncodedMacro(254, {20, 0, 0x8A, 4}));
    const std::vector<std::uint8_t> bytes = vpc::data::BuildMacroImage(image);
    CCommandChannel& channel = bench.device->Channel();
    const std::size_t chunk = channel.GetChunkSize();
    std::int64_t packets = 0;
    std::int64_t failed = 0;
    double oursSeconds = 0;
    double minimalSeconds = 0;
    for (auto _ : state) {
        bench.keypad->ClearPacketLog();
        const auto start = Clock::now();
        failed += bench.device->DownloadMacros(macros) != 0;
        oursSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        packets += static_cast<std::int64_t>(bench.keypad->AcceptedPackets().size());
        state.PauseTiming();
        const auto minimalStart = Clock::now();
        int ok = channel.BeginSession();
        ok &= channel.WriteMacroData(bytes.data(), bytes.size());
        ok &= channel.EndSession();
        failed += ok != 1;
        minimalSeconds += std::chrono::duration<double>(Clock::now() - minimalStart).count();
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    // the fewest: the information read, one exchange and the image in full chunks
    const std::int64_t fewest = 1 + 2 + Chunks(bytes.size(), chunk);
    state.counters["bytes"] = static_cast<double>(bytes.size());
    state.counters["packets"] = static_cast<double>(packets) / n;
    state.counters["fewest_packets"] = static_cast<double>(fewest);
    state.counters["packet_ratio"] = static_cast<double>(packets) / n / static_cast<double>(fewest);
    state.counters["ui_blocked_ms"] = oursSeconds / n * 1e3;
    state.counters["time_ratio"] = minimalSeconds > 0 ? oursSeconds / minimalSeconds : 0;
    state.counters["failed"] = static_cast<double>(failed);
    state.SetLabel(link == SimLink::Cable ? "cable, chunk 56" : "receiver, chunk 24");
}
BENCHMARK(BM_FullMacroDownload)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
