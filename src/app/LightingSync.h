// Synchronised lighting: one effect (breathing, static, flashing, colour cycle or
// off) computed on a 64 Hz tick and shown on every device the user synchronised.
#pragma once

#include "lighting/StopSignal.h"
#include "lighting/TickSource.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// The effect every synchronised device shows.
struct SyncLightingRecord {
    std::uint8_t effectType = 1;      // 0 breathing, 1 static, 2 flashing, 3 colour cycle, 4 off
    std::uint8_t brightnessIndex = 4; // 0..4
    std::uint8_t speedIndex = 2;      // 0..14
    std::uint8_t direction = 1;
    std::uint8_t multiColour = 0;
    std::uint8_t red = 255;
    std::uint8_t green = 255;
    std::uint8_t blue = 255;
};

// One colour for every LED of every synchronised device, with its brightness.
struct SyncColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t brightness = 0;
    bool operator==(const SyncColor&) const = default;
};

// Device kinds as the lighting modes of each kind are numbered.
enum class SyncDeviceKind { Keyboard = 1, Mouse = 2, MousePad = 3, Headset = 7 };

// The effect type a kind's lighting mode stands for; none for modes that cannot be shared.
std::optional<int> SyncEffectForMode(SyncDeviceKind kind, int mode);
// The lighting mode of a kind that shows an effect type (0..4).
int SyncModeForEffect(SyncDeviceKind kind, int effectType);
// Ticks between two steps at a speed index: 28, 23, 18, 13, 7, then every tick.
int SyncStepInterval(int speedIndex);

// The effect's state; Tick is called once per 64 Hz tick with the time in milliseconds
// and gives the colour when a step ran.
class CSyncLightingEffect {
public:
    void SetRecord(const SyncLightingRecord& record) { m_record = record; }
    const SyncLightingRecord& Record() const { return m_record; }
    std::optional<SyncColor> Tick(std::uint64_t nowMs);
    // Runs one step of the effect at once.
    SyncColor Step(std::uint64_t nowMs);
    int BreathPhase() const { return m_breathPhase; }
    int BreathWheel() const { return m_breathWheel; }

private:
    SyncLightingRecord m_record;
    int m_ticks = 0;
    int m_breathPhase = 0;
    int m_breathWheel = 0;
    int m_cycleWheel = 0;
    int m_flashWheel = 0;
    bool m_flashOn = false;
    std::uint64_t m_lastToggleMs = 0;
};

// The worker that drives the synchronised devices. It asks `hasTargets` each tick;
// with none it sleeps until CheckTargets (or, should a change go unannounced, for a few
// seconds). `apply` receives each new colour.
class CLightingSyncThread {
public:
    struct Targets {
        std::function<bool()> hasTargets;
        std::function<void(const SyncColor&)> apply;
    };

    explicit CLightingSyncThread(Targets targets,
                                 std::unique_ptr<vpc::lighting::TickSource> ticks = nullptr);
    ~CLightingSyncThread();
    CLightingSyncThread(const CLightingSyncThread&) = delete;
    CLightingSyncThread& operator=(const CLightingSyncThread&) = delete;

    void Start();
    // Signals the exit event and joins; the thread ends within one tick.
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }
    // Written by the UI thread; the worker reads a copy each tick.
    void SetRecord(const SyncLightingRecord& record);
    // The devices may have become synchronised or reachable: an idle worker asks again.
    void CheckTargets();

private:
    void Run();

    Targets m_targets;
    std::unique_ptr<vpc::lighting::TickSource> m_ticks;
    vpc::lighting::StopSignal m_stop;
    std::mutex m_recordMutex;
    SyncLightingRecord m_record;
    bool m_recordChanged = false;
    std::atomic<bool> m_targetsChanged{false};
    std::thread m_thread;
};
