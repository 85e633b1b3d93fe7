#include "LiveFrameSender.h"

#include <pthread.h>

namespace vpc::lighting {

LiveFrameSender::LiveFrameSender(SendFunction send) : LiveFrameSender(std::move(send), Options{}) {}

LiveFrameSender::LiveFrameSender(SendFunction send, Options options)
    : send_(std::move(send)), options_(options), throttles_{LiveStreamThrottle(options.slowWrite),
                                                            LiveStreamThrottle(options.slowWrite)} {
    pending_.reserve(kFrameBytes);
    sending_.reserve(kFrameBytes);
    worker_ = std::thread([this] {
        pthread_setname_np(pthread_self(), "vpc-live-frames");
        Run();
    });
}

LiveFrameSender::~LiveFrameSender() {
    {
        const std::lock_guard guard(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

bool LiveFrameSender::Submit(std::span<const std::uint8_t> frame) {
    {
        const std::lock_guard guard(mutex_);
        if (ThrottleOf(link_).IsStreamingOff()) {
            stats_.refused += 1;
            return false;
        }
        if (hasPending_) {
            stats_.dropped += 1;
        }
        pending_.assign(frame.begin(), frame.end());
        hasPending_ = true;
        stats_.submitted += 1;
    }
    wake_.notify_one();
    return true;
}

void LiveFrameSender::SetLink(LinkKind link) {
    const std::lock_guard guard(mutex_);
    link_ = link;
}

LinkKind LiveFrameSender::Link() const {
    const std::lock_guard guard(mutex_);
    return link_;
}

bool LiveFrameSender::IsStreamingOff(LinkKind link) const {
    const std::lock_guard guard(mutex_);
    return ThrottleOf(link).IsStreamingOff();
}

void LiveFrameSender::ResumeStreaming(LinkKind link) {
    const std::lock_guard guard(mutex_);
    ThrottleOf(link).ResumeStreaming();
}

void LiveFrameSender::StopStreaming(LinkKind link) {
    const std::lock_guard guard(mutex_);
    ThrottleOf(link).StopStreaming();
}

LiveFrameSender::Stats LiveFrameSender::GetStats() const {
    const std::lock_guard guard(mutex_);
    return stats_;
}

bool LiveFrameSender::WaitIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, timeout, [this] { return !hasPending_ && !busy_; });
}

void LiveFrameSender::Run() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return stopping_ || hasPending_; });
        if (stopping_) {
            break;
        }
        sending_.swap(pending_);
        hasPending_ = false;
        busy_ = true;
        const LinkKind link = link_;
        lock.unlock();

        const auto started = std::chrono::steady_clock::now();
        const int result = send_ ? send_(sending_) : 0;
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - started);

        lock.lock();
        ThrottleOf(link).RecordWrite(took);
        if (result == 1) {
            stats_.sent += 1;
        } else {
            stats_.failed += 1;
            // A failing device gets a pause; frames arriving meanwhile replace each other.
            wake_.wait_for(lock, options_.failurePause, [this] { return stopping_; });
        }
        busy_ = false;
        if (ThrottleOf(link).IsStreamingOff() && hasPending_ && link == link_) {
            hasPending_ = false;
            stats_.dropped += 1;
        }
        idle_.notify_all();
    }
    busy_ = false;
    idle_.notify_all();
}

} // namespace vpc::lighting
