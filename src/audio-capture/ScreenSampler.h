// Reads the colours at the edges of the X11 screen: four thin strips (GetImage), every
// eighth pixel of them averaged, into the six screen-colour words of the capture protocol.
#pragma once

#include "AudioCaptureProtocol.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct xcb_connection_t;

namespace vpc::audiocapture {

using ScreenWords = std::array<std::uint32_t, kScreenWords>;

class CScreenSampler {
public:
    CScreenSampler() = default;
    ~CScreenSampler();
    CScreenSampler(const CScreenSampler&) = delete;
    CScreenSampler& operator=(const CScreenSampler&) = delete;

    // Connects to the X11 display of the session. False (with the reason) on Wayland, without
    // a display, or with a screen format it does not read (not 24/32-bit true colour).
    bool Open(std::string& reason);
    bool IsOpen() const { return m_connection != nullptr; }

    // The six words, each colour scaled by weight / 255; none when a read failed.
    std::optional<ScreenWords> Sample(const std::array<int, 3>& weights);

private:
    struct Sum {
        std::uint64_t r = 0, g = 0, b = 0, n = 0;
        void Add(const Sum& other) {
            r += other.r;
            g += other.g;
            b += other.b;
            n += other.n;
        }
    };
    std::optional<Sum> ReadStrip(int x, int y, int width, int height);

    xcb_connection_t* m_connection = nullptr;
    std::uint32_t m_root = 0;
    int m_width = 0;
    int m_height = 0;
};

} // namespace vpc::audiocapture
