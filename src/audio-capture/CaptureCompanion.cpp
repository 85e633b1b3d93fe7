#include "CaptureCompanion.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vpc::audiocapture {

namespace {

void Say(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", kProgramName, text.c_str());
}

template <auto Method>
void IoThunk(pa_mainloop_api*, pa_io_event*, int, pa_io_event_flags_t, void* self) {
    (static_cast<CCaptureCompanion*>(self)->*Method)();
}

} // namespace

CCaptureCompanion::CCaptureCompanion(CompanionOptions options) : m_options(std::move(options)) {
    m_samples.reserve(kFftSize + kHop * 4);
}

CCaptureCompanion::~CCaptureCompanion() {
    StopStream();
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    if (m_api) {
        for (pa_time_event* timer : {m_idleTimer, m_reconnectTimer, m_screenTimer})
            if (timer)
                m_api->time_free(timer);
        if (m_clientEvent)
            m_api->io_free(m_clientEvent);
        if (m_listenEvent)
            m_api->io_free(m_listenEvent);
        pa_signal_done();
    }
    if (m_loop)
        pa_mainloop_free(m_loop);
    if (m_clientFd >= 0)
        close(m_clientFd);
    if (m_listenFd >= 0) {
        close(m_listenFd);
        unlink(m_socketPath.c_str());
    }
    if (m_lockFd >= 0)
        close(m_lockFd); // releases the lock after the socket is gone
}

int CCaptureCompanion::Open() {
    if (m_options.runtimeFolder.empty()) {
        Say("XDG_RUNTIME_DIR is not set: no place for the session's socket");
        return 2;
    }
    const std::string lockPath = LockPath(m_options.runtimeFolder);
    m_lockFd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lockFd < 0) {
        Say("cannot open " + lockPath + ": " + std::strerror(errno));
        return 2;
    }
    // the main program tests the lock for a moment now and then: try for half a second
    bool locked = false;
    for (int attempt = 0; attempt < 10 && !locked; ++attempt) {
        locked = flock(m_lockFd, LOCK_EX | LOCK_NB) == 0;
        if (!locked)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!locked) {
        Say("another instance runs in this session");
        return 1;
    }
    m_socketPath = SocketPath(m_options.runtimeFolder);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (m_socketPath.size() >= sizeof(address.sun_path)) {
        Say("socket path too long: " + m_socketPath);
        return 2;
    }
    std::memcpy(address.sun_path, m_socketPath.c_str(), m_socketPath.size() + 1);
    m_listenFd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) {
        Say(std::string("socket: ") + std::strerror(errno));
        return 2;
    }
    unlink(m_socketPath.c_str()); // left by an instance that died; we hold the lock
    const mode_t previous = umask(0077);
    const int bound = bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    umask(previous);
    if (bound != 0 || listen(m_listenFd, 2) != 0) {
        Say("cannot listen on " + m_socketPath + ": " + std::strerror(errno));
        close(m_listenFd);
        m_listenFd = -1;
        return 2;
    }

    m_loop = pa_mainloop_new();
    m_api = pa_mainloop_get_api(m_loop);
    m_listenEvent = m_api->io_new(m_api, m_listenFd, PA_IO_EVENT_INPUT,
                                  IoThunk<&CCaptureCompanion::OnListen>, this);
    pa_signal_init(m_api);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        pa_signal_new(
            signal,
            [](pa_mainloop_api*, pa_signal_event*, int, void* self) {
                static_cast<CCaptureCompanion*>(self)->Quit(0);
            },
            this);
    std::signal(SIGPIPE, SIG_IGN);
    ArmTimer(m_idleTimer, m_options.waitForClientSeconds * 1000,
             [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
                 auto* companion = static_cast<CCaptureCompanion*>(self);
                 if (!companion->m_hadClient) {
                     Say("no main program connected; ending");
                     companion->Quit(0);
                 }
             });
    ConnectPulse();
    return 0;
}

int CCaptureCompanion::Run() {
    int code = 0;
    if (pa_mainloop_run(m_loop, &code) < 0)
        return code ? code : 2;
    return code;
}

void CCaptureCompanion::Quit(int code) {
    if (m_loop)
        pa_mainloop_quit(m_loop, code);
}

void CCaptureCompanion::SayOnce(bool& said, const std::string& text) {
    if (!said)
        Say(text);
    said = true;
}

void CCaptureCompanion::ArmTimer(pa_time_event*& event, int milliseconds,
                                 void (*callback)(pa_mainloop_api*, pa_time_event*,
                                                  const struct timeval*, void*)) {
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, static_cast<pa_usec_t>(milliseconds) * PA_USEC_PER_MSEC);
    if (event)
        m_api->time_restart(event, &when);
    else
        event = m_api->time_new(m_api, &when, callback, this);
}

// --- the main program's connection ---

void CCaptureCompanion::OnListen() {
    const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    if (m_clientFd >= 0) { // one main program at a time
        close(fd);
        return;
    }
    m_clientFd = fd;
    m_hadClient = true;
    m_clientEvent = m_api->io_new(
        m_api, m_clientFd, static_cast<pa_io_event_flags_t>(PA_IO_EVENT_INPUT | PA_IO_EVENT_HANGUP),
        IoThunk<&CCaptureCompanion::OnClientData>, this);
}

void CCaptureCompanion::OnClientData() {
    std::array<std::uint8_t, kMaxRecordBytes> buffer{};
    for (;;) {
        const ssize_t n = recv(m_clientFd, buffer.data(), buffer.size(), MSG_DONTWAIT | MSG_TRUNC);
        if (n > 0) {
            if (static_cast<std::size_t>(n) <= buffer.size())
                HandleRecord(buffer.data(), static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        DropClient(); // the main program is gone
        return;
    }
}

void CCaptureCompanion::DropClient() {
    if (m_clientEvent)
        m_api->io_free(m_clientEvent);
    m_clientEvent = nullptr;
    if (m_clientFd >= 0)
        close(m_clientFd);
    m_clientFd = -1;
    Quit(0);
}

void CCaptureCompanion::HandleRecord(const std::uint8_t* data, std::size_t length) {
    if (length < kTagBytes)
        return;
    std::uint32_t tag = 0;
    std::memcpy(&tag, data, kTagBytes);
    if (tag == kTagCommand && length >= kTagBytes + 8) {
        std::int32_t command = 0;
        std::int32_t value = 0;
        std::memcpy(&command, data + kTagBytes, 4);
        std::memcpy(&value, data + kTagBytes + 4, 4);
        HandleCommand(command, value);
    } else if (tag == kTagStyle && length >= kTagBytes + 12) {
        std::array<std::int32_t, 3> rgb{};
        std::memcpy(rgb.data(), data + kTagBytes, sizeof(rgb));
        m_analyser.SetStyle(rgb[0], rgb[1], rgb[2]);
    }
}

void CCaptureCompanion::HandleCommand(std::int32_t command, std::int32_t value) {
    switch (command) {
    case kCmdHello: {
        const std::int32_t pid = static_cast<std::int32_t>(getpid());
        Send(kTagHelloAnswer, &pid, sizeof(pid));
        break;
    }
    case kCmdStartLevels:
        m_levelsWanted = true;
        StartStream();
        break;
    case kCmdStopLevels:
        m_levelsWanted = false;
        StopStream();
        break;
    case kCmdStartScreenColors:
        StartScreen();
        break;
    case kCmdStopScreenColors:
        StopScreen();
        break;
    case kCmdQuit:
        Quit(0);
        break;
    case kCmdRedWeight:
    case kCmdGreenWeight:
    case kCmdBlueWeight:
        m_screenWeights[static_cast<std::size_t>(command - kCmdRedWeight)] =
            std::clamp(value, 0, 255);
        break;
    default:
        break;
    }
}

bool CCaptureCompanion::Send(std::uint32_t tag, const void* payload, std::size_t length) {
    if (m_clientFd < 0 || length > kMaxRecordBytes - kTagBytes)
        return false;
    std::array<std::uint8_t, kMaxRecordBytes> record{};
    std::memcpy(record.data(), &tag, kTagBytes);
    std::memcpy(record.data() + kTagBytes, payload, length);
    // a busy main program loses a frame rather than stalling the capture
    return send(m_clientFd, record.data(), kTagBytes + length, MSG_DONTWAIT | MSG_NOSIGNAL) >= 0;
}

// --- sound ---

void CCaptureCompanion::ConnectPulse() {
    if (m_context) {
        const pa_context_state_t state = pa_context_get_state(m_context);
        if (state != PA_CONTEXT_FAILED && state != PA_CONTEXT_TERMINATED) {
            // the server is there: a recording that failed (no monitor yet) is tried again
            if (m_stream && pa_stream_get_state(m_stream) == PA_STREAM_FAILED) {
                StopStream();
                if (m_levelsWanted)
                    StartStream();
            }
            return;
        }
        // the failed context goes here, outside its own callbacks
        StopStream();
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    m_context = pa_context_new(m_api, kProgramName);
    if (!m_context) {
        SayOnce(m_saidPulse, "cannot create a PulseAudio context");
        ScheduleReconnect();
        return;
    }
    pa_context_set_state_callback(
        m_context,
        [](pa_context*, void* self) { static_cast<CCaptureCompanion*>(self)->OnContextState(); },
        this);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        SayOnce(m_saidPulse, std::string("no PulseAudio server (or PipeWire's pulse server): ") +
                                 pa_strerror(pa_context_errno(m_context)) +
                                 "; trying again every 5 s");
        ScheduleReconnect();
    }
}

void CCaptureCompanion::OnContextState() {
    if (!m_context)
        return;
    switch (pa_context_get_state(m_context)) {
    case PA_CONTEXT_READY:
        m_saidPulse = false;
        if (m_levelsWanted)
            StartStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        SayOnce(m_saidPulse, std::string("no PulseAudio server (or PipeWire's pulse server): ") +
                                 pa_strerror(pa_context_errno(m_context)) +
                                 "; trying again every 5 s");
        ScheduleReconnect(); // the context is replaced there
        break;
    default:
        break;
    }
}

void CCaptureCompanion::ScheduleReconnect() {
    ArmTimer(m_reconnectTimer, 5000,
             [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
                 static_cast<CCaptureCompanion*>(self)->ConnectPulse();
             });
}

void CCaptureCompanion::StartStream() {
    if (m_stream || !m_context || pa_context_get_state(m_context) != PA_CONTEXT_READY)
        return;
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, kSampleRate, 1};
    m_stream = pa_stream_new(m_context, "level meter", &format, nullptr);
    if (!m_stream)
        return;
    pa_stream_set_read_callback(
        m_stream,
        [](pa_stream*, size_t, void* self) {
            static_cast<CCaptureCompanion*>(self)->OnStreamRead();
        },
        this);
    pa_stream_set_state_callback(
        m_stream,
        [](pa_stream* stream, void* self) {
            auto* companion = static_cast<CCaptureCompanion*>(self);
            if (pa_stream_get_state(stream) == PA_STREAM_FAILED) {
                companion->SayOnce(
                    companion->m_saidRecord,
                    "cannot record the default output's monitor: " +
                        std::string(pa_strerror(pa_context_errno(companion->m_context))) +
                        "; trying again every 5 s");
                companion->ScheduleReconnect();
            }
        },
        this);
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.fragsize = static_cast<std::uint32_t>(kHop * sizeof(float));
    attributes.tlength = attributes.prebuf = attributes.minreq = static_cast<std::uint32_t>(-1);
    const std::string source = m_options.source;
    if (pa_stream_connect_record(m_stream, source.empty() ? nullptr : source.c_str(), &attributes,
                                 PA_STREAM_ADJUST_LATENCY) < 0) {
        SayOnce(m_saidRecord, "cannot record " + source);
        StopStream();
    }
}

void CCaptureCompanion::StopStream() {
    if (!m_stream)
        return;
    pa_stream_set_read_callback(m_stream, nullptr, nullptr);
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
    m_samples.clear();
    m_newSamples = 0;
}

void CCaptureCompanion::OnStreamRead() {
    while (m_stream && pa_stream_readable_size(m_stream) > 0) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(m_stream, &data, &bytes) < 0 || bytes == 0)
            break;
        const std::size_t count = bytes / sizeof(float);
        if (data) {
            const auto* samples = static_cast<const float*>(data);
            m_samples.insert(m_samples.end(), samples, samples + count);
        } else {
            m_samples.insert(m_samples.end(), count, 0.0f); // a hole in the stream
        }
        m_newSamples += count;
        pa_stream_drop(m_stream);
        if (m_samples.size() > static_cast<std::size_t>(kFftSize))
            m_samples.erase(m_samples.begin(),
                            m_samples.end() - static_cast<std::ptrdiff_t>(kFftSize));
    }
    if (m_newSamples < static_cast<std::size_t>(kHop))
        return;
    m_newSamples %= static_cast<std::size_t>(kHop);
    const LevelFrame frame = m_analyser.Analyse(m_samples);
    const LevelFrame& gated = m_gate.Next(frame, m_analyser.LastRms());
    Send(kTagLevels, gated.data(), sizeof(gated));
}

// --- screen colours ---

void CCaptureCompanion::StartScreen() {
    m_screenWanted = true;
    std::string reason;
    if (!m_screen.Open(reason)) {
        SayOnce(m_saidScreen, reason);
        return;
    }
    OnScreenTimer();
}

void CCaptureCompanion::StopScreen() {
    m_screenWanted = false;
    if (m_screenTimer) {
        m_api->time_free(m_screenTimer);
        m_screenTimer = nullptr;
    }
}

void CCaptureCompanion::OnScreenTimer() {
    if (!m_screenWanted)
        return;
    if (const auto words = m_screen.Sample(m_screenWeights))
        Send(kTagScreenColors, words->data(), sizeof(*words));
    else
        SayOnce(m_saidScreen, "reading the screen failed; screen colours are not sent");
    ArmTimer(m_screenTimer, 100, [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
        static_cast<CCaptureCompanion*>(self)->OnScreenTimer();
    });
}

} // namespace vpc::audiocapture
