// An owned Linux eventfd used as a wake-up flag: Signal makes it readable until Drain.
// Threads poll it beside their device descriptors, so a wait ends at once when signalled.
#pragma once

namespace vpc::hid {

class EventFd {
public:
    EventFd();
    ~EventFd();
    EventFd(const EventFd&) = delete;
    EventFd& operator=(const EventFd&) = delete;

    int Fd() const { return m_fd; }
    bool IsValid() const { return m_fd >= 0; }
    void Signal() const;
    // Clears the flag; true when it was signalled.
    bool Drain() const;

private:
    int m_fd;
};

} // namespace vpc::hid
