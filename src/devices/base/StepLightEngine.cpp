#include "StepLightEngine.h"

#include "lighting/KeyboardLightEngine.h"
#include "lighting/LightTables.h"

#include <algorithm>
#include <array>

namespace vpc::devices {

CStepLightEngine::CStepLightEngine(CDeviceLightState& state,
                                   std::unique_ptr<lighting::RandomSource> random)
    : m_state(state),
      m_random(random ? std::move(random) : std::make_unique<lighting::SeededRandom>()) {}

int CStepLightEngine::StepInterval(int speed) {
    static constexpr std::array<int, 5> kIntervals = {28, 23, 18, 13, 7};
    return kIntervals[static_cast<std::size_t>(std::clamp(speed, 0, 4))];
}

std::uint8_t CStepLightEngine::LevelOf(const DeviceLightRecord& record) {
    return lighting::LevelValue(lighting::ClampLevel(record.brightness));
}

void CStepLightEngine::SetRecord(const DeviceLightRecord& record) {
    {
        const std::lock_guard lock(m_mutex);
        const bool modeChanged = record.mode != m_record.mode;
        m_record = record;
        m_state.SetRecord(record);
        if (modeChanged) {
            m_passes = 0;
            OnModeChanged();
        }
    }
    NoteInput();
}

DeviceLightRecord CStepLightEngine::Record() const {
    const std::lock_guard lock(m_mutex);
    return m_record;
}

void CStepLightEngine::SetSequence(std::span<const lighting::EffectFrame> frames) {
    {
        const std::lock_guard lock(m_mutex);
        m_sequence.SetSequence(frames);
    }
    NoteInput();
}

void CStepLightEngine::SetInputListener(std::function<void()> listener) {
    const std::lock_guard lock(m_listenerMutex);
    m_inputListener = std::move(listener);
}

void CStepLightEngine::SetFrameListener(std::function<void()> listener) {
    const std::lock_guard lock(m_listenerMutex);
    m_frameListener = std::move(listener);
}

void CStepLightEngine::NoteInput() {
    {
        const std::lock_guard lock(m_mutex);
        m_paintedSinceInput = false;
    }
    m_inputs.fetch_add(1);
    std::function<void()> listener;
    {
        const std::lock_guard lock(m_listenerMutex);
        listener = m_inputListener;
    }
    if (listener)
        listener();
}

void CStepLightEngine::RunPass(std::uint64_t tick) {
    bool changed = false;
    {
        const std::lock_guard lock(m_mutex);
        const std::vector<lighting::LedColor> before = m_state.Snapshot();
        const std::uint8_t mode = m_record.mode;
        if (HasStep(mode)) {
            if (++m_passes >= static_cast<std::uint32_t>(StepInterval(m_record.speed))) {
                m_passes = 0;
                RunModeStep(mode, m_record);
                m_paintedSinceInput = true;
            }
        } else {
            m_sequence.Play(m_sequenceColours, m_record.speed, lighting::TickToMs(tick));
            for (int i = 0; i < static_cast<int>(before.size()); ++i)
                m_state.SetLedColor(i, m_sequenceColours[static_cast<std::size_t>(i)]);
            m_paintedSinceInput = true;
        }
        changed = m_state.Snapshot() != before;
    }
    if (!changed)
        return;
    m_frameVersion.fetch_add(1);
    std::function<void()> listener;
    {
        const std::lock_guard lock(m_listenerMutex);
        listener = m_frameListener;
    }
    if (listener)
        listener();
}

bool CStepLightEngine::IsStill() const {
    const std::lock_guard lock(m_mutex);
    if (!m_paintedSinceInput)
        return false;
    const std::uint8_t mode = m_record.mode;
    if (!HasStep(mode))
        return m_sequence.Length() == 0;
    return IsStillMode(mode);
}

void CStepLightEngine::RunStep() {
    const std::lock_guard lock(m_mutex);
    RunModeStep(m_record.mode, m_record);
    m_paintedSinceInput = true;
}

std::uint8_t CStepLightEngine::StepCounter() const {
    const std::lock_guard lock(m_mutex);
    return m_step;
}

} // namespace vpc::devices
