// The capture companion: holds the session's instance lock, listens on the session socket for
// the main program, captures the default output's monitor through libpulse, and sends level
// frames and screen colours while the main program asks for them. One poll loop (libpulse's
// main loop) serves the sound stream, the socket and the timers.
#pragma once

#include "AudioCaptureProtocol.h"
#include "BandAnalyser.h"
#include "ScreenSampler.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct pa_mainloop;
struct pa_mainloop_api;
struct pa_context;
struct pa_stream;
struct pa_io_event;
struct pa_time_event;

namespace vpc::audiocapture {

struct CompanionOptions {
    std::string runtimeFolder; // where the lock and the socket live
    std::string source = "@DEFAULT_MONITOR@";
    int waitForClientSeconds = 30; // ends when no main program connects in this time
};

class CCaptureCompanion {
public:
    explicit CCaptureCompanion(CompanionOptions options);
    ~CCaptureCompanion();
    CCaptureCompanion(const CCaptureCompanion&) = delete;
    CCaptureCompanion& operator=(const CCaptureCompanion&) = delete;

    // Takes the instance lock and opens the socket. 1 when another instance holds the lock,
    // 2 on any other failure (said on stderr), 0 when ready.
    int Open();
    // Runs until told to quit, until the main program's connection goes, or on a signal.
    int Run();

private:
    static constexpr int kSampleRate = 48000;
    static constexpr int kFftSize = 4096;
    static constexpr int kHop = kSampleRate / 25; // one frame for every 1920 samples: 25 a second

    void OnListen();
    void OnClientData();
    void HandleRecord(const std::uint8_t* data, std::size_t length);
    void HandleCommand(std::int32_t command, std::int32_t value);
    void DropClient();
    bool Send(std::uint32_t tag, const void* payload, std::size_t length);

    void ConnectPulse();
    void OnContextState();
    void StartStream();
    void StopStream();
    void OnStreamRead();
    void ScheduleReconnect();

    void StartScreen();
    void StopScreen();
    void OnScreenTimer();

    void ArmTimer(pa_time_event*& event, int milliseconds,
                  void (*callback)(pa_mainloop_api*, pa_time_event*, const struct timeval*, void*));
    void Quit(int code);
    void SayOnce(bool& said, const std::string& text);

    CompanionOptions m_options;
    int m_lockFd = -1;
    int m_listenFd = -1;
    int m_clientFd = -1;
    std::string m_socketPath;
    bool m_hadClient = false;

    pa_mainloop* m_loop = nullptr;
    pa_mainloop_api* m_api = nullptr;
    pa_io_event* m_listenEvent = nullptr;
    pa_io_event* m_clientEvent = nullptr;
    pa_time_event* m_idleTimer = nullptr;
    pa_time_event* m_reconnectTimer = nullptr;
    pa_time_event* m_screenTimer = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;

    bool m_levelsWanted = false;
    bool m_screenWanted = false;
    std::array<int, 3> m_screenWeights{255, 255, 255};
    CBandAnalyser m_analyser{kSampleRate, kFftSize};
    CNoiseGate m_gate;
    std::vector<float> m_samples; // the last kFftSize samples
    std::size_t m_newSamples = 0;
    CScreenSampler m_screen;
    bool m_saidPulse = false;
    bool m_saidScreen = false;
    bool m_saidRecord = false;
};

} // namespace vpc::audiocapture
