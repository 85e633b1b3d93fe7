// Opening the longest macro (4000 actions) in the macro panel as the user does, shown in a
// window: the time against reading the macro file alone (ratio), and the memory the open
// macro takes in the panel.
#include "MacroControlUI.h"

#include "MacroStore.h"
#include "SkinResources.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BM_OpenLongestMacro(benchmark::State& state) {
    QTemporaryDir folder;
    CSkinResources::Instance().SetResourcePath(QString::fromUtf8(VPC_BENCH_SKIN_DIR));
    vpc::data::CMacroStore store(folder.path().toStdString());
    store.Add();
    std::vector<Json::Value> events;
    for (int i = 0; i < 4000; ++i) {
        Json::Value e;
        e["Action"] = i % 2 == 0 ? "down" : "up";
        e["Button"] = 4 + (i / 2) % 26;
        e["Type"] = 10;
        e["Delay"] = std::to_string(20 + i % 50);
        events.push_back(e);
    }
    store.SaveEvents(0, events);
    vpc::panels::CMacroControlUI panel;
    panel.resize(700, 400);
    panel.show();
    panel.setProperty("macroFolder", folder.path());
    panel.SelectMacro(0);
    const long before = ResidentKiB();
    double panelSeconds = 0;
    double fileSeconds = 0;
    for (auto _ : state) {
        panel.DeleteAllActions();
        QApplication::processEvents();
        const auto start = Clock::now();
        panel.OpenSelectedMacro();
        QApplication::processEvents(); // painted
        panelSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        state.PauseTiming();
        const auto fileStart = Clock::now();
        benchmark::DoNotOptimize(store.Events(0));
        fileSeconds += std::chrono::duration<double>(Clock::now() - fileStart).count();
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["rows"] = panel.Recorder().RowCount();
    state.counters["open_ms"] = panelSeconds / n * 1e3;
    state.counters["file_read_ms"] = fileSeconds / n * 1e3;
    state.counters["ratio_to_file_read"] = fileSeconds > 0 ? panelSeconds / fileSeconds : 0;
    state.counters["open_macro_KiB"] = static_cast<double>(ResidentKiB() - before);
}
BENCHMARK(BM_OpenLongestMacro)->UseRealTime()->Unit(benchmark::kMillisecond);

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
