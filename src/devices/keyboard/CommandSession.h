// A configuration exchange with the device as a scope: BeginSession when it opens and
// EndSession when it closes, on every path out of the scope.
#pragma once

#include "CCommandChannel.h"

namespace vpc::devices::keyboard {

class CommandSession {
public:
    explicit CommandSession(hid::CCommandChannel& channel)
        : m_channel(channel), m_beginResult(channel.BeginSession()) {}
    ~CommandSession() { m_channel.EndSession(); }
    CommandSession(const CommandSession&) = delete;
    CommandSession& operator=(const CommandSession&) = delete;

    // The device's answer to BeginSession (1 when the exchange is open).
    int BeginResult() const { return m_beginResult; }
    bool IsOpen() const { return m_beginResult == hid::CCommandChannel::kOk; }

private:
    hid::CCommandChannel& m_channel;
    const int m_beginResult;
};

} // namespace vpc::devices::keyboard
