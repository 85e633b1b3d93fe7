// A DPI change on the mouse page (the slider of a stage released), as the user makes it: the
// route stores the stage, saves the profile and writes the onboard record. Each run also
// sends the same 66 bytes with the fewest packets the protocol allows (one exchange, every
// chunk full) and reports both packet counts, both times and their ratios.
#include "CorvaneMouseDevice.h"
#include "MouseRoutes.h"

#include "CSimHidBackend.h"
#include "CSimMouse.h"
#include "ControlUI.h"
#include "DialogBuilder.h"
#include "SkinResources.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

using vpc::devices::CCorvaneMouseDevice;
using vpc::hid::CCommandChannel;
using vpc::sim::SimLink;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kRecordBytes = 66;

struct Bench {
    QTemporaryDir userRoot;
    std::shared_ptr<vpc::sim::CSimHidBackend> bus;
    std::shared_ptr<vpc::sim::CSimMouse> mouse;
    std::unique_ptr<CCorvaneMouseDevice> device;
    vpc::panels::CRouteTable routes;

    bool Connect(SimLink link) {
        qputenv("VPC_USER_DATA_ROOT", userRoot.path().toUtf8());
        qputenv("VPC_DEFAULT_DATA_DIR", VPC_BENCH_DEFAULT_DATA);
        CSkinResources::Instance().SetResourcePath(QString::fromUtf8(VPC_BENCH_SKIN_DIR));
        bus = vpc::sim::CSimHidBackend::Create();
        mouse = vpc::sim::CSimMouse::Create();
        bus->Attach(mouse);
        mouse->PlugCable();
        mouse->PlugReceiver();
        vpc::hid::SetDefaultHidBackend(bus);
        QWidget* root = CDialogBuilder::Create(
            QStringLiteral("XML\\DeviceXml\\mousedevice.xml"),
            [](const QString& className) -> QWidget* {
                if (className == QLatin1String(CCorvaneMouseDevice::kFactoryName))
                    return new CCorvaneMouseDevice();
                return nullptr;
            },
            nullptr);
        device.reset(qobject_cast<CCorvaneMouseDevice*>(root));
        if (!device)
            return false;
        vpc::devices::DeviceIdentity identity;
        identity.vendorId = vpc::sim::CSimMouse::kVendorId;
        identity.productId = link == SimLink::Cable ? vpc::sim::CSimMouse::kCableProductId
                                                    : vpc::sim::CSimMouse::kReceiverProductId;
        identity.modelCode =
            link == SimLink::Cable ? vpc::devices::kModelMouse : vpc::devices::kModelMouseReceiver;
        device->SetPageLayoutName(QStringLiteral("XML\\DeviceXml\\mousedevice.xml"));
        device->SetKeyCapacity(11);
        device->SetLedCapacity(15);
        device->SetDeviceName(QStringLiteral("mouse"));
        device->SetIdentity(identity);
        device->SetLightType(1);
        device->Init();
        CCommandChannel& channel = device->Channel();
        vpc::hid::CHidDevice& iface =
            link == SimLink::Cable ? channel.WiredInterface() : channel.ReceiverInterface();
        if (!iface.Open(bus->CommandPath(*mouse, link), true, true, true, false))
            return false;
        channel.SetMode(link == SimLink::Cable ? 1 : 2);
        channel.SetEnabled(true);
        device->OnDeviceArrived();
        vpc::panels::MouseRouteServices services;
        services.screenPixels = [] { return QSize(1920, 1080); };
        vpc::panels::RegisterMouseRoutes(routes, std::move(services));
        return device->IsConfigValid();
    }

    ~Bench() {
        if (device)
            device->StopWorkers();
        device.reset();
        vpc::hid::SetDefaultHidBackend(nullptr);
    }
};

void BM_DpiChange(benchmark::State& state) {
    const SimLink link = state.range(0) == 0 ? SimLink::Cable : SimLink::Receiver;
    Bench bench;
    if (!bench.Connect(link)) {
        state.SkipWithError("the simulated mouse did not connect");
        return;
    }
    auto* slider = qobject_cast<QAbstractSlider*>(
        bench.device->FindPageControl(QStringLiteral("DPI_slider_2")));
    if (!slider) {
        state.SkipWithError("the mouse page has no DPI slider");
        return;
    }
    CCommandChannel& channel = bench.device->Channel();
    const std::size_t chunk = channel.GetChunkSize();
    std::int64_t packets = 0;
    std::int64_t failed = 0;
    double oursSeconds = 0;
    double minimalSeconds = 0;
    int position = 40;
    for (auto _ : state) {
        position = position == 40 ? 41 : 40;
        CControlUI(slider).SetValue(position);
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(DuiEvent::ValueChanged);
        msg.pSender = slider;
        bench.mouse->ClearPacketLog();
        const auto start = Clock::now();
        failed += bench.routes.Run(msg, {bench.device.get(), 2}) != 1;
        oursSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        packets += static_cast<std::int64_t>(bench.mouse->AcceptedPackets().size());
        state.PauseTiming();
        std::array<std::uint8_t, kRecordBytes> record{};
        const auto minimalStart = Clock::now();
        int ok = channel.BeginSession();
        ok &= channel.WriteParamMemory(record.data(), record.size(), 0);
        ok &= channel.EndSession();
        failed += ok != 1;
        minimalSeconds += std::chrono::duration<double>(Clock::now() - minimalStart).count();
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    const auto fewest = static_cast<std::int64_t>(2 + (kRecordBytes + chunk - 1) / chunk);
    state.counters["packets"] = static_cast<double>(packets) / n;
    state.counters["fewest_packets"] = static_cast<double>(fewest);
    state.counters["packet_ratio"] = static_cast<double>(packets) / n / static_cast<double>(fewest);
    state.counters["ui_blocked_ms"] = oursSeconds / n * 1e3;
    state.counters["time_ratio"] = minimalSeconds > 0 ? oursSeconds / minimalSeconds : 0;
    state.counters["failed"] = static_cast<double>(failed);
    state.SetLabel(link == SimLink::Cable ? "cable, chunk 56" : "receiver, chunk 24");
}
BENCHMARK(BM_DpiChange)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

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
