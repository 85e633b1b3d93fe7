#include "HeadsetLightFrame.h"

#include <algorithm>

#include <pthread.h>

namespace vpc::devices::headset {

namespace {

constexpr std::uint8_t kReportId = 0xFF;
constexpr std::uint8_t kMaxValue = 247;

// (target, block) of each report, in sending order.
constexpr std::array<std::pair<std::uint8_t, std::uint8_t>, kHeadsetReportsPerFrame> kOrder = {{
    {0x22, 0xAA},
    {0x22, 0xAD},
    {0x44, 0xAA},
    {0x44, 0xAD},
    {0x22, 0xAB},
    {0x22, 0xAE},
    {0x44, 0xAB},
    {0x44, 0xAE},
    {0x22, 0xAC},
    {0x22, 0xAF},
    {0x44, 0xAC},
    {0x44, 0xAF},
}};

} // namespace

std::uint8_t HeadsetLedValue(std::uint8_t colour, std::uint8_t brightness) {
    return static_cast<std::uint8_t>(std::min(colour * brightness / 256, int{kMaxValue}));
}

HeadsetLightFrame BuildHeadsetLightFrame(std::span<const lighting::LedColor> leds) {
    HeadsetLightFrame frame{};
    for (std::size_t r = 0; r < kOrder.size(); ++r) {
        const auto [target, block] = kOrder[r];
        HeadsetLightReport& report = frame[r];
        report[0] = kReportId;
        report[1] = target;
        report[2] = block;
        // AA/AB/AC: LEDs 0-6 of red/green/blue; AD/AE/AF: LEDs 7-12
        const bool upper = block >= 0xAD;
        const int channel = (block - 0xAA) % 3;
        const std::size_t first = upper ? 7 : 0;
        const std::size_t count = upper ? 6 : 7;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t led = first + i;
            if (led >= leds.size())
                continue;
            const lighting::LedColor& c = leds[led];
            const std::uint8_t byte = channel == 0 ? c.red : channel == 1 ? c.green : c.blue;
            report[4 + i] = HeadsetLedValue(byte, c.brightness);
        }
    }
    return frame;
}

CHeadsetFrameSender::CHeadsetFrameSender(SendReport send, std::chrono::milliseconds keepAlive)
    : m_send(std::move(send)), m_keepAlive(keepAlive) {
    m_thread = std::thread([this] {
        pthread_setname_np(pthread_self(), "vpc-hs-frames");
        Run();
    });
}

CHeadsetFrameSender::~CHeadsetFrameSender() {
    m_stop.Signal();
    if (m_thread.joinable())
        m_thread.join();
}

void CHeadsetFrameSender::Submit(std::span<const lighting::LedColor> leds) {
    const HeadsetLightFrame frame = BuildHeadsetLightFrame(leds);
    {
        const std::lock_guard lock(m_mutex);
        if (m_latest && *m_latest == frame)
            return; // the same frame: the keep-alive sends it again in time
        m_latest = frame;
        m_changed = true;
    }
    m_stop.Wake();
}

std::uint64_t CHeadsetFrameSender::FramesSent() const {
    const std::lock_guard lock(m_mutex);
    return m_sent;
}

void CHeadsetFrameSender::Run() {
    using Clock = lighting::StopSignal::Clock;
    for (;;) {
        const auto keepAliveDue = Clock::now() + m_keepAlive;
        const bool goOn = m_stop.WaitFor(
            [this] {
                const std::lock_guard lock(m_mutex);
                return m_changed;
            },
            keepAliveDue);
        if (!goOn)
            return;
        std::optional<HeadsetLightFrame> frame;
        {
            const std::lock_guard lock(m_mutex);
            frame = m_latest;
            m_changed = false;
        }
        if (!frame)
            continue; // nothing to keep alive yet
        for (const HeadsetLightReport& report : *frame)
            m_send(report); // a lost report is made good by the next frame
        const std::lock_guard lock(m_mutex);
        ++m_sent;
    }
}

} // namespace vpc::devices::headset
