#include "LightingSync.h"

#include "lighting/LightTables.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <pthread.h>

namespace {

using vpc::lighting::BreathCurve;
using vpc::lighting::ColorWheel;
using vpc::lighting::LevelValue;

constexpr int kEffectCount = 5;
// Modes of each kind for breathing, static, flashing, colour cycle and off.
constexpr std::array<int, kEffectCount> kKeyboardModes = {5, 6, 23, 4, 28};
constexpr std::array<int, kEffectCount> kMouseModes = {2, 3, 4, 1, 10};
constexpr std::array<int, kEffectCount> kPadModes = {2, 3, 4, 1, 8};
constexpr std::array<int, 5> kIntervals = {28, 23, 18, 13, 7};
constexpr int kMaxSpeedIndex = 14;
constexpr int kIdleSleepMs = 60000; // only for a change nobody announced

const std::array<int, kEffectCount>& ModesOf(SyncDeviceKind kind) {
    switch (kind) {
    case SyncDeviceKind::Keyboard:
        return kKeyboardModes;
    case SyncDeviceKind::Mouse:
        return kMouseModes;
    case SyncDeviceKind::MousePad:
    case SyncDeviceKind::Headset:
        break;
    }
    return kPadModes;
}

// Moves a position by step and wraps it within 0..limit-1, as the effect counters do.
int StepUp(int value, int step, int limit) {
    const int next = value + step;
    return next >= limit ? 0 : next;
}
int StepDown(int value, int step, int limit) {
    const int next = (value - step) & 0xFF;
    return next >= limit ? limit - step : next;
}

SyncColor Lit(const vpc::lighting::Rgb& rgb, int brightness) {
    return {rgb.red, rgb.green, rgb.blue, static_cast<std::uint8_t>(brightness)};
}

} // namespace

std::optional<int> SyncEffectForMode(SyncDeviceKind kind, int mode) {
    const auto& modes = ModesOf(kind);
    const auto found = std::find(modes.begin(), modes.end(), mode);
    if (found == modes.end()) {
        return std::nullopt;
    }
    return static_cast<int>(found - modes.begin());
}

int SyncModeForEffect(SyncDeviceKind kind, int effectType) {
    return ModesOf(kind)[static_cast<std::size_t>(std::clamp(effectType, 0, kEffectCount - 1))];
}

int SyncStepInterval(int speedIndex) {
    const int speed = std::clamp(speedIndex, 0, kMaxSpeedIndex);
    return speed < static_cast<int>(kIntervals.size()) ? kIntervals[static_cast<std::size_t>(speed)]
                                                       : 0;
}

std::optional<SyncColor> CSyncLightingEffect::Tick(std::uint64_t nowMs) {
    ++m_ticks;
    if (m_ticks < SyncStepInterval(m_record.speedIndex)) {
        return std::nullopt;
    }
    m_ticks = 0;
    if (m_record.effectType >= kEffectCount) {
        return std::nullopt;
    }
    return Step(nowMs);
}

SyncColor CSyncLightingEffect::Step(std::uint64_t nowMs) {
    const SyncLightingRecord& r = m_record;
    const int level = LevelValue(std::clamp<int>(r.brightnessIndex, 0, 4));
    const vpc::lighting::Rgb own{r.red, r.green, r.blue};
    switch (r.effectType) {
    case 0: {
        m_breathPhase = r.direction == 1 ? StepUp(m_breathPhase, 1, vpc::lighting::kBreathSize)
                                         : StepDown(m_breathPhase, 1, vpc::lighting::kBreathSize);
        vpc::lighting::Rgb color = own;
        if (r.multiColour) {
            if (m_breathPhase == 0 || m_breathPhase == 1) {
                m_breathWheel = StepUp(m_breathWheel, 16, vpc::lighting::kWheelSize);
            }
            color = ColorWheel()[static_cast<std::size_t>(m_breathWheel)];
        }
        return Lit(color, level * BreathCurve()[static_cast<std::size_t>(m_breathPhase)] / 256);
    }
    case 1:
        return Lit(own, level);
    case 2: {
        const std::uint64_t period =
            static_cast<std::uint64_t>(SyncStepInterval(r.speedIndex)) * 200;
        if (nowMs - m_lastToggleMs >= period) {
            m_flashOn = !m_flashOn;
            m_lastToggleMs = nowMs;
            m_flashWheel += 14;
            if (m_flashWheel >= vpc::lighting::kWheelSize) {
                m_flashWheel = 0;
            }
        }
        if (!m_flashOn) {
            return {};
        }
        return Lit(r.multiColour ? ColorWheel()[static_cast<std::size_t>(m_flashWheel)] : own,
                   level);
    }
    case 3:
        m_cycleWheel = StepUp(m_cycleWheel, 1, vpc::lighting::kWheelSize);
        return Lit(ColorWheel()[static_cast<std::size_t>(m_cycleWheel)], level);
    default:
        return {};
    }
}

CLightingSyncThread::CLightingSyncThread(Targets targets,
                                         std::unique_ptr<vpc::lighting::TickSource> ticks)
    : m_targets(std::move(targets)), m_ticks(std::move(ticks)) {
    if (!m_ticks) {
        m_ticks = std::make_unique<vpc::lighting::SteadyTickSource>();
    }
}

CLightingSyncThread::~CLightingSyncThread() {
    Stop();
}

void CLightingSyncThread::Start() {
    if (m_thread.joinable()) {
        return;
    }
    m_stop.Reset();
    m_thread = std::thread([this] {
        pthread_setname_np(pthread_self(), "vpc-light-sync");
        Run();
    });
}

void CLightingSyncThread::Stop() {
    m_stop.Signal();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CLightingSyncThread::SetRecord(const SyncLightingRecord& record) {
    const std::lock_guard lock(m_recordMutex);
    m_record = record;
    m_recordChanged = true;
}

void CLightingSyncThread::CheckTargets() {
    m_targetsChanged = true;
    m_stop.Wake();
}

void CLightingSyncThread::Run() {
    using Clock = std::chrono::steady_clock;
    CSyncLightingEffect effect;
    const Clock::time_point start = Clock::now();
    std::uint64_t tick = m_ticks->Now();
    while (!m_stop.IsSignalled()) {
        if (!m_targets.hasTargets || !m_targets.hasTargets()) {
            const bool goOn =
                m_stop.WaitFor([this] { return m_targetsChanged.exchange(false); },
                               Clock::now() + std::chrono::milliseconds(kIdleSleepMs));
            if (!goOn) {
                break;
            }
            tick = m_ticks->Now();
            continue;
        }
        {
            const std::lock_guard lock(m_recordMutex);
            if (m_recordChanged) {
                effect.SetRecord(m_record);
                m_recordChanged = false;
            }
        }
        const auto nowMs = static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        if (const std::optional<SyncColor> color = effect.Tick(nowMs); color && m_targets.apply) {
            m_targets.apply(*color);
        }
        ++tick;
        if (!m_ticks->WaitForTick(tick, m_stop)) {
            break;
        }
    }
}
