#include "WirelessLinkProbe.h"

#include "DeviceLog.h"

namespace vpc::devices {

void CWirelessLinkProbe::Start(hid::CCommandChannel& channel, Done done) {
    m_thread.Stop();
    m_thread.Start(
        [&channel, done = std::move(done)](const lighting::StopSignal& exit) {
            using Clock = lighting::StopSignal::Clock;
            const auto deadline = Clock::now() + kBudget;
            bool linked = false;
            int attempts = 0;
            while (attempts < kMaxAttempts && !exit.IsSignalled() && Clock::now() < deadline) {
                ++attempts;
                if (channel.QueryWirelessLink()) {
                    linked = true;
                    break;
                }
                qCDebug(lcVpcDevices, "获取2.4G模式失败");
                if (!exit.WaitUntil(std::min(Clock::now() + kInterval, deadline)))
                    return; // stopped: nobody waits for the answer any more
            }
            qCDebug(lcVpcDevices, "获取2");
            if (!exit.IsSignalled() && done)
                done(linked, attempts);
        },
        "vpc-link-probe");
}

} // namespace vpc::devices
