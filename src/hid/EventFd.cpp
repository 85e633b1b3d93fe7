#include "EventFd.h"

#include <cstdint>

#include <sys/eventfd.h>
#include <unistd.h>

namespace vpc::hid {

EventFd::EventFd() : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

EventFd::~EventFd() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void EventFd::Signal() const {
    if (m_fd < 0)
        return;
    const std::uint64_t one = 1;
    // a full counter (never reached here) already reads as signalled
    [[maybe_unused]] const ssize_t n = ::write(m_fd, &one, sizeof one);
}

bool EventFd::Drain() const {
    if (m_fd < 0)
        return false;
    std::uint64_t value = 0;
    return ::read(m_fd, &value, sizeof value) == static_cast<ssize_t>(sizeof value);
}

} // namespace vpc::hid
