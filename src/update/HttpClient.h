// The small synchronous HTTP client of the update check, on libcurl: one request per call,
// bounded replies, verified certificates, direct first and then through the system's proxy.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vpc::update {

// What the client puts at the start of the reply buffer when nothing could be sent.
inline constexpr std::string_view kNoLinkServer = "NO_LINK_SERVER";

// Last-error values of the client's own (the others are libcurl's CURLcode values).
inline constexpr int kHttpErrorNone = 0;
inline constexpr int kHttpErrorNoUrl = 3;
inline constexpr int kHttpErrorBadMethod = 87;

struct HttpSettings {
    std::string userAgent = "WinHTTP Client/1.0";
    // Time limits in milliseconds; 0 for name resolution is the system's default.
    long resolveTimeoutMs = 0;
    long connectTimeoutMs = 60000;
    long sendTimeoutMs = 30000;
    long receiveTimeoutMs = 30000;
    // Certificates are always checked. Empty: the system's certificate store; otherwise a
    // PEM file of the authorities to trust instead of it.
    std::string caFile;
};

// How the last request ended, beyond the byte count.
struct HttpOutcome {
    bool sent = false;         // the request reached a server (directly or through the proxy)
    bool viaProxy = false;     // the answer came through the environment's proxy
    long statusCode = 0;       // HTTP status of the reply, 0 when none
    bool replyTooLong = false; // the reply did not fit and its rest was refused
    bool cancelled = false;    // stopped through the cancel flag
    int curlCode = 0;          // libcurl's result of the last attempt
    bool complete() const {
        return sent && !replyTooLong && !cancelled && curlCode == 0 && statusCode >= 200 &&
               statusCode < 300;
    }
};

class CHttpClient {
public:
    CHttpClient();

    // Puts the default settings back in place (done before every request of the update check).
    void ResetHttpSettings();
    HttpSettings& Settings() { return m_settings; }
    const HttpSettings& Settings() const { return m_settings; }

    // A flag that, once set by another thread, ends the running request at libcurl's next
    // progress call. The flag must outlive the client.
    void SetCancelFlag(const std::atomic<bool>* flag) { m_cancel = flag; }

    // Sends `body` with the given method ("GET" or "POST", any case) and places the reply in
    // `reply`, at most reply.size() - 1 bytes so that a zero-filled buffer stays terminated.
    // -1 for an empty URL (last error 3), another method (last error 87) or no libcurl handle;
    // otherwise the number of bytes placed. 0 when nothing could be sent: `reply` then starts
    // with "NO_LINK_SERVER".
    int HttpRequest(std::string_view method, const std::string& url,
                    std::span<const std::uint8_t> body, std::span<char> reply);

    // Fetches `url` with GET, handing every received chunk to `sink` (which may refuse it by
    // returning false) and the progress in percent to `progress` when the size is known. True
    // when the whole reply arrived with a 2xx status.
    using ChunkSink = std::function<bool(std::span<const char>)>;
    using ProgressSink = std::function<void(int percent)>;
    bool Download(const std::string& url, const ChunkSink& sink, const ProgressSink& progress);

    int LastError() const { return m_lastError; }
    const HttpOutcome& LastOutcome() const { return m_outcome; }

private:
    struct Transfer;
    // `proxy`: nothing for the direct attempt, else the proxy URL to go through.
    bool Perform(Transfer& transfer, const std::optional<std::string>& proxy);
    bool RunWithProxyFallback(Transfer& transfer);

    HttpSettings m_settings;
    const std::atomic<bool>* m_cancel = nullptr;
    int m_lastError = kHttpErrorNone;
    HttpOutcome m_outcome;
};

// Whether the environment names a proxy for URLs of this scheme ("http" or "https").
bool EnvironmentNamesProxy(std::string_view scheme);

// The proxy that the desktop's settings (through the system's proxy configuration: GNOME,
// KDE, a PAC script) or else the environment name for `url`, as a libcurl proxy URL
// ("http://host:port", "socks5h://host:port"); empty when the URL goes direct.
std::string SystemProxyFor(const std::string& url);

} // namespace vpc::update
