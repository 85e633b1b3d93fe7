#include "DeviceLightState.h"

#include "lighting/LightTables.h"

#include <algorithm>

namespace vpc::devices {

using lighting::LedColor;

namespace {

constexpr int kWheelStride = 16;

LedColor Colour(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t brightness) {
    return LedColor{r, g, b, brightness};
}

int FadeStep(int value, int mode) {
    if (mode == 0) {
        if (value >= 128)
            return 40;
        if (value >= 64)
            return 30;
        if (value >= 32)
            return 15;
        return value >= 17 ? 8 : 1;
    }
    if (mode == 11 || mode == 21) {
        if (value >= 144)
            return 45;
        if (value >= 128)
            return 40;
        if (value >= 112)
            return 35;
        if (value >= 96)
            return 30;
        if (value >= 80)
            return 25;
        if (value >= 64)
            return 20;
        if (value >= 32)
            return 10;
        return value >= 17 ? 5 : 1;
    }
    if (value >= 128)
        return 40;
    if (value >= 64)
        return 30;
    if (value >= 32)
        return 10;
    return value >= 17 ? 8 : 1;
}

} // namespace

std::array<std::uint32_t, 4> DeviceLightRecord::ToWords() const {
    const auto word = [](std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
        return std::uint32_t{b0} | (std::uint32_t{b1} << 8) | (std::uint32_t{b2} << 16) |
               (std::uint32_t{b3} << 24);
    };
    return {word(mode, brightness, speed, direction), word(multiColor, red, green, blue), word0,
            word1};
}

DeviceLightRecord DeviceLightRecord::FromWords(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2,
                                               std::uint32_t w3) {
    const auto byte = [](std::uint32_t word, int n) {
        return static_cast<std::uint8_t>((word >> (8 * n)) & 0xFF);
    };
    DeviceLightRecord r;
    r.mode = byte(w0, 0);
    r.brightness = byte(w0, 1);
    r.speed = byte(w0, 2);
    r.direction = byte(w0, 3);
    r.multiColor = byte(w1, 0);
    r.red = byte(w1, 1);
    r.green = byte(w1, 2);
    r.blue = byte(w1, 3);
    r.word0 = w2;
    r.word1 = w3;
    return r;
}

void CDeviceLightState::SetLedCapacity(int capacity) {
    std::lock_guard lock(m_mutex);
    m_leds.assign(static_cast<std::size_t>(std::max(capacity, 0)), LedColor{});
}

int CDeviceLightState::LedCapacity() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_leds.size());
}

void CDeviceLightState::SetLedColor(int index, LedColor color) {
    std::lock_guard lock(m_mutex);
    if (index >= 0 && index < static_cast<int>(m_leds.size()))
        m_leds[static_cast<std::size_t>(index)] = color;
}

LedColor CDeviceLightState::GetLedColor(int index) const {
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= static_cast<int>(m_leds.size()))
        return {};
    return m_leds[static_cast<std::size_t>(index)];
}

std::vector<LedColor> CDeviceLightState::Snapshot() const {
    std::lock_guard lock(m_mutex);
    return m_leds;
}

void CDeviceLightState::SetRecord(const DeviceLightRecord& record) {
    std::lock_guard lock(m_mutex);
    m_record = record;
}

DeviceLightRecord CDeviceLightState::Record() const {
    std::lock_guard lock(m_mutex);
    return m_record;
}

std::uint8_t CDeviceLightState::Level() const {
    return lighting::LevelValue(lighting::ClampLevel(m_record.brightness));
}

int CDeviceLightState::SpeedIndex() const {
    return lighting::ClampLevel(m_record.speed);
}

void CDeviceLightState::AdvancePhase(int limit) {
    int phase = m_phase % limit;
    if (m_record.direction == 1)
        phase = phase + 1 >= limit ? 0 : phase + 1;
    else
        phase = phase == 0 ? limit - 1 : phase - 1;
    m_phase = static_cast<std::uint8_t>(phase);
}

void CDeviceLightState::Fill(LedColor color) {
    std::fill(m_leds.begin(), m_leds.end(), color);
}

void CDeviceLightState::StepBreathColorCycle() {
    std::lock_guard lock(m_mutex);
    AdvancePhase(lighting::kBreathSize);
    if (m_phase == 0) {
        m_colorIndex = static_cast<std::uint8_t>(m_colorIndex + kWheelStride);
        if (m_colorIndex >= lighting::kWheelSize)
            m_colorIndex = 0;
    }
    if (m_colorIndex >= lighting::kWheelSize)
        m_colorIndex = 0;
    const std::uint8_t brightness = lighting::Scale(lighting::BreathCurve()[m_phase], Level());
    if (m_record.multiColor != 0) {
        const lighting::Rgb c = lighting::ColorWheel()[m_colorIndex];
        Fill(Colour(c.red, c.green, c.blue, brightness));
    } else {
        Fill(Colour(m_record.red, m_record.green, m_record.blue, brightness));
    }
}

void CDeviceLightState::StepBreathBasicColors() {
    std::lock_guard lock(m_mutex);
    AdvancePhase(lighting::kBreathSize);
    if (m_phase == 0)
        m_colorIndex = static_cast<std::uint8_t>(m_colorIndex + 1 > 3 ? 0 : m_colorIndex + 1);
    if (m_colorIndex > 3)
        m_colorIndex = 0;
    const std::uint8_t brightness = lighting::Scale(lighting::BreathCurve()[m_phase], Level());
    const lighting::Rgb c = lighting::BasicColors()[m_colorIndex];
    Fill(Colour(c.red, c.green, c.blue, brightness));
}

void CDeviceLightState::StepStaticColor() {
    std::lock_guard lock(m_mutex);
    Fill(Colour(m_record.red, m_record.green, m_record.blue, Level()));
}

void CDeviceLightState::StepSpectrumCycle() {
    std::lock_guard lock(m_mutex);
    AdvancePhase(lighting::kWheelSize);
    const lighting::Rgb c = lighting::ColorWheel()[m_phase];
    Fill(Colour(c.red, c.green, c.blue, Level()));
}

bool CDeviceLightState::FlashToggleDue(Clock::time_point now) {
    const auto interval = std::chrono::milliseconds(lighting::PeriodMs(SpeedIndex()));
    if (now - m_lastToggle < interval)
        return false;
    m_lastToggle = now;
    m_flashOn = !m_flashOn;
    return true;
}

void CDeviceLightState::StepFlashColorCycle(Clock::time_point now) {
    std::lock_guard lock(m_mutex);
    if (FlashToggleDue(now)) {
        m_colorIndex = static_cast<std::uint8_t>(m_colorIndex + kWheelStride);
        if (m_colorIndex >= lighting::kWheelSize)
            m_colorIndex = 0;
    }
    if (m_colorIndex >= lighting::kWheelSize)
        m_colorIndex = 0;
    if (!m_flashOn) {
        Fill(LedColor{});
        return;
    }
    if (m_record.multiColor != 0) {
        const lighting::Rgb c = lighting::ColorWheel()[m_colorIndex];
        Fill(Colour(c.red, c.green, c.blue, Level()));
    } else {
        Fill(Colour(m_record.red, m_record.green, m_record.blue, Level()));
    }
}

void CDeviceLightState::StepFlashBasicColors(Clock::time_point now) {
    std::lock_guard lock(m_mutex);
    if (FlashToggleDue(now))
        m_colorIndex = static_cast<std::uint8_t>(m_colorIndex + 1 > 3 ? 0 : m_colorIndex + 1);
    if (m_colorIndex > 3)
        m_colorIndex = 0;
    if (!m_flashOn) {
        Fill(LedColor{});
        return;
    }
    const lighting::Rgb c = lighting::BasicColors()[m_colorIndex];
    Fill(Colour(c.red, c.green, c.blue, Level()));
}

void CDeviceLightState::StepLightsOff() {
    std::lock_guard lock(m_mutex);
    Fill(LedColor{});
}

void CDeviceLightState::FadeLed(int index, int mode) {
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= kIntensityCount)
        return;
    const int value = m_intensity[static_cast<std::size_t>(index)];
    if (value == 0)
        return;
    m_intensity[static_cast<std::size_t>(index)] =
        static_cast<std::uint8_t>(std::max(0, value - FadeStep(value, mode)));
}

void CDeviceLightState::MarkActiveLeds() {
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < 9; ++i)
        if (m_ring[i] != 0)
            m_intensity[i] = 255;
}

void CDeviceLightState::RotateLedRing(bool forward) {
    std::lock_guard lock(m_mutex);
    if (forward)
        std::rotate(m_ring.rbegin(), m_ring.rbegin() + 1, m_ring.rend());
    else
        std::rotate(m_ring.begin(), m_ring.begin() + 1, m_ring.end());
}

void CDeviceLightState::RotateRingPart(int length, bool forward) {
    std::lock_guard lock(m_mutex);
    const int n = std::clamp(length, 0, kRingCount);
    if (n < 2)
        return;
    const auto first = m_ring.begin();
    if (forward)
        std::rotate(first, first + (n - 1), first + n);
    else
        std::rotate(first, first + 1, first + n);
}

void CDeviceLightState::MarkActiveLedsUpTo(int count) {
    std::lock_guard lock(m_mutex);
    const int n = std::clamp(count, 0, kRingCount);
    for (int i = 0; i < n; ++i)
        if (m_ring[static_cast<std::size_t>(i)] != 0)
            m_intensity[static_cast<std::size_t>(i)] = 255;
}

void CDeviceLightState::ClearEffectState() {
    std::lock_guard lock(m_mutex);
    m_intensity.fill(0);
    m_ring.fill(0);
}

std::uint8_t CDeviceLightState::Intensity(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < kIntensityCount ? m_intensity[static_cast<std::size_t>(index)] : 0;
}

void CDeviceLightState::SetIntensity(int index, std::uint8_t value) {
    std::lock_guard lock(m_mutex);
    if (index >= 0 && index < kIntensityCount)
        m_intensity[static_cast<std::size_t>(index)] = value;
}

std::uint8_t CDeviceLightState::RingEntry(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < kRingCount ? m_ring[static_cast<std::size_t>(index)] : 0;
}

void CDeviceLightState::SetRingEntry(int index, std::uint8_t value) {
    std::lock_guard lock(m_mutex);
    if (index >= 0 && index < kRingCount)
        m_ring[static_cast<std::size_t>(index)] = value;
}

std::uint8_t CDeviceLightState::Phase() const {
    std::lock_guard lock(m_mutex);
    return m_phase;
}

std::uint8_t CDeviceLightState::ColorIndex() const {
    std::lock_guard lock(m_mutex);
    return m_colorIndex;
}

bool CDeviceLightState::FlashOn() const {
    std::lock_guard lock(m_mutex);
    return m_flashOn;
}

} // namespace vpc::devices
