#include "ScreenSampler.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace vpc::audiocapture {

namespace {

constexpr int kStripDepth = 4; // pixels into the screen from each edge
constexpr int kStep = 8;       // every eighth pixel along a strip

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

} // namespace

CScreenSampler::~CScreenSampler() {
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool CScreenSampler::Open(std::string& reason) {
    if (m_connection)
        return true;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* session = std::getenv("XDG_SESSION_TYPE");
    if ((wayland && *wayland) || (session && std::string(session) == "wayland")) {
        reason = "a Wayland session lets no program read the screen; screen colours are not sent";
        return false;
    }
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        reason = "no X11 display (DISPLAY is not set); screen colours are not sent";
        return false;
    }
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (!connection || xcb_connection_has_error(connection)) {
        if (connection)
            xcb_disconnect(connection);
        reason =
            std::string("cannot open the X11 display ") + display + "; screen colours are not sent";
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem || !it.data || (it.data->root_depth != 24 && it.data->root_depth != 32)) {
        xcb_disconnect(connection);
        reason = "the X11 screen is not 24- or 32-bit true colour; screen colours are not sent";
        return false;
    }
    m_connection = connection;
    m_root = it.data->root;
    m_width = it.data->width_in_pixels;
    m_height = it.data->height_in_pixels;
    return true;
}

std::optional<CScreenSampler::Sum> CScreenSampler::ReadStrip(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0)
        return Sum{};
    xcb_get_image_cookie_t cookie = xcb_get_image(
        m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, static_cast<int16_t>(x),
        static_cast<int16_t>(y), static_cast<uint16_t>(width), static_cast<uint16_t>(height), ~0u);
    std::unique_ptr<xcb_get_image_reply_t, FreeDeleter> reply(
        xcb_get_image_reply(m_connection, cookie, nullptr));
    if (!reply)
        return std::nullopt;
    const std::uint8_t* bytes = xcb_get_image_data(reply.get());
    const std::size_t length = static_cast<std::size_t>(xcb_get_image_data_length(reply.get()));
    // 24- and 32-bit depths are stored as 4 bytes a pixel, blue first
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    Sum sum;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; column += kStep) {
            const std::size_t at =
                static_cast<std::size_t>(row) * stride + static_cast<std::size_t>(column) * 4;
            if (at + 3 > length)
                break;
            sum.b += bytes[at];
            sum.g += bytes[at + 1];
            sum.r += bytes[at + 2];
            ++sum.n;
        }
    }
    return sum;
}

std::optional<ScreenWords> CScreenSampler::Sample(const std::array<int, 3>& weights) {
    if (!m_connection || xcb_connection_has_error(m_connection))
        return std::nullopt;
    const int depth = std::min({kStripDepth, m_width, m_height});
    const auto left = ReadStrip(0, 0, depth, m_height);
    const auto right = ReadStrip(m_width - depth, 0, depth, m_height);
    const auto top = ReadStrip(0, 0, m_width, depth);
    const auto bottom = ReadStrip(0, m_height - depth, m_width, depth);
    if (!left || !right || !top || !bottom)
        return std::nullopt;
    Sum topBottom = *top;
    topBottom.Add(*bottom);
    Sum all = *left;
    all.Add(*right);
    all.Add(topBottom);
    const auto channel = [&](std::uint64_t total, std::uint64_t n, int c) -> std::uint32_t {
        const std::uint64_t mean = n ? total / n : 0;
        return static_cast<std::uint32_t>(
            mean *
            static_cast<std::uint64_t>(std::clamp(weights[static_cast<std::size_t>(c)], 0, 255)) /
            255);
    };
    const auto packed = [&](const Sum& s) {
        return channel(s.r, s.n, 0) << 16 | channel(s.g, s.n, 1) << 8 | channel(s.b, s.n, 2);
    };
    return ScreenWords{channel(all.r, all.n, 0), channel(all.g, all.n, 1),
                       channel(all.b, all.n, 2), packed(*left),
                       packed(*right),           packed(topBottom)};
}

} // namespace vpc::audiocapture
