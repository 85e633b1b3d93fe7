#include "HttpClient.h"

#include "CurlLibrary.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include <QtGlobal>

namespace vpc::update {

namespace {

// A handle or list exists only where libcurl was loaded.
struct EasyDeleter {
    void operator()(CURL* handle) const { Curl()->easyCleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { Curl()->slistFreeAll(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// libcurl results that mean no connection to a server was made: nothing was sent, whatever
// libcurl counted as request bytes.
bool IsConnectFailure(CURLcode code) {
    switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return true;
    default:
        return false;
    }
}

std::string_view SchemeOf(std::string_view url) {
    const auto colon = url.find("://");
    return colon == std::string_view::npos ? std::string_view{} : url.substr(0, colon);
}

bool NonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

} // namespace

bool EnvironmentNamesProxy(std::string_view scheme) {
    // libcurl's own rules: "http_proxy" only in lower case, the others in either case.
    if (EqualsIgnoringCase(scheme, "http") && NonEmptyEnv("http_proxy"))
        return true;
    if (EqualsIgnoringCase(scheme, "https") &&
        (NonEmptyEnv("https_proxy") || NonEmptyEnv("HTTPS_PROXY")))
        return true;
    return NonEmptyEnv("all_proxy") || NonEmptyEnv("ALL_PROXY");
}

struct CHttpClient::Transfer {
    std::string method; // "GET" or "POST"
    std::string url;
    std::span<const std::uint8_t> body;
    bool formHeaders = false; // the update server's request headers
    ChunkSink sink;
    ProgressSink progress;
    const std::atomic<bool>* cancel = nullptr;
    int lastPercent = -1;
};

CHttpClient::CHttpClient() = default;

void CHttpClient::ResetHttpSettings() {
    m_settings = HttpSettings{};
}

namespace {

size_t WriteCallback(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<CHttpClient::ChunkSink*>(user);
    const size_t bytes = size * count;
    if (!(*transfer)(std::span<const char>(data, bytes)))
        return 0; // libcurl ends the transfer with CURLE_WRITE_ERROR
    return bytes;
}

} // namespace

bool CHttpClient::Perform(Transfer& transfer, const std::optional<std::string>& proxy) {
    const CurlApi* curl = Curl(); // loaded at the first request
    if (!curl) {
        qWarning("%s", LastCurlLoadError().c_str());
        return false;
    }
    EasyHandle easy(curl->easyInit());
    if (!easy)
        return false;
    CURL* h = easy.get();

    curl->easySetopt(h, CURLOPT_URL, transfer.url.c_str());
    // A reply's download path must not make us read local files or speak other protocols.
    curl->easySetopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl->easySetopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl->easySetopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl->easySetopt(h, CURLOPT_MAXREDIRS, 5L);
    curl->easySetopt(h, CURLOPT_NOSIGNAL, 1L);
    curl->easySetopt(h, CURLOPT_USERAGENT, m_settings.userAgent.c_str());

    // Name resolution counts into the connect limit; a stalled send or receive (less than one
    // byte a second for the longer of the two limits) ends the request, and so does a
    // request that takes longer than all limits together.
    if (m_settings.connectTimeoutMs > 0)
        curl->easySetopt(h, CURLOPT_CONNECTTIMEOUT_MS, m_settings.connectTimeoutMs);
    const long stallMs = std::max(m_settings.sendTimeoutMs, m_settings.receiveTimeoutMs);
    if (stallMs > 0) {
        curl->easySetopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl->easySetopt(h, CURLOPT_LOW_SPEED_TIME, std::max(1L, (stallMs + 999) / 1000));
    }
    const long totalMs = m_settings.resolveTimeoutMs + m_settings.connectTimeoutMs +
                         m_settings.sendTimeoutMs + m_settings.receiveTimeoutMs;
    if (totalMs > 0 && transfer.formHeaders)
        curl->easySetopt(h, CURLOPT_TIMEOUT_MS, totalMs);

    curl->easySetopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl->easySetopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!m_settings.caFile.empty()) {
        curl->easySetopt(h, CURLOPT_CAINFO, m_settings.caFile.c_str());
        curl->easySetopt(h, CURLOPT_CAPATH, nullptr);
    }
    // The empty proxy turns the environment's proxy off for the direct attempt; an empty
    // proxy URL leaves libcurl to the environment's.
    if (!proxy)
        curl->easySetopt(h, CURLOPT_PROXY, "");
    else if (!proxy->empty())
        curl->easySetopt(h, CURLOPT_PROXY, proxy->c_str());

    const auto* bodyData = reinterpret_cast<const char*>(transfer.body.data());
    const auto bodySize = static_cast<curl_off_t>(transfer.body.size());
    if (transfer.method == "POST") {
        curl->easySetopt(h, CURLOPT_POST, 1L);
        curl->easySetopt(h, CURLOPT_POSTFIELDSIZE_LARGE, bodySize);
        curl->easySetopt(h, CURLOPT_POSTFIELDS, bodySize > 0 ? bodyData : "");
    } else if (bodySize > 0) {
        curl->easySetopt(h, CURLOPT_CUSTOMREQUEST, "GET");
        curl->easySetopt(h, CURLOPT_POSTFIELDSIZE_LARGE, bodySize);
        curl->easySetopt(h, CURLOPT_POSTFIELDS, bodyData);
    } else {
        curl->easySetopt(h, CURLOPT_HTTPGET, 1L);
    }

    HeaderList headers;
    if (transfer.formHeaders) {
        // Each header on its own: a blank line would end the headers early.
        const std::string length = "Content-Length: " + std::to_string(transfer.body.size());
        curl_slist* list = curl->slistAppend(nullptr, length.c_str());
        for (const char* line : {"Content-Type: application/x-www-form-urlencoded",
                                 "Accept:application/prs.Zemra.v1+json", "Expect:"}) {
            if (list == nullptr)
                break;
            curl_slist* grown = curl->slistAppend(list, line);
            if (grown == nullptr) {
                curl->slistFreeAll(list);
                list = nullptr;
            } else {
                list = grown;
            }
        }
        headers.reset(list);
        if (headers)
            curl->easySetopt(h, CURLOPT_HTTPHEADER, headers.get());
        else
            m_lastError = CURLE_OUT_OF_MEMORY;
    }

    // A download takes only a successful reply: an error page is never taken for the file.
    if (!transfer.formHeaders)
        curl->easySetopt(h, CURLOPT_FAILONERROR, 1L);
    curl->easySetopt(h, CURLOPT_WRITEFUNCTION, &WriteCallback);
    curl->easySetopt(h, CURLOPT_WRITEDATA, &transfer.sink);
    curl->easySetopt(h, CURLOPT_NOPROGRESS, 0L);
    curl->easySetopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl->easySetopt(
        h, CURLOPT_XFERINFOFUNCTION,
        +[](void* user, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t, curl_off_t) -> int {
            auto* t = static_cast<Transfer*>(user);
            if (t->cancel != nullptr && t->cancel->load())
                return 1; // CURLE_ABORTED_BY_CALLBACK
            if (t->progress && dlTotal > 0) {
                const int percent =
                    static_cast<int>(std::min<curl_off_t>(100, dlNow * 100 / dlTotal));
                if (percent != t->lastPercent) {
                    t->lastPercent = percent;
                    t->progress(percent);
                }
            }
            return 0;
        });

    const CURLcode code = curl->easyPerform(h);
    long status = 0;
    curl->easyGetinfo(h, CURLINFO_RESPONSE_CODE, &status);
    long requestSize = 0;
    curl->easyGetinfo(h, CURLINFO_REQUEST_SIZE, &requestSize);

    m_outcome.curlCode = static_cast<int>(code);
    m_outcome.statusCode = status;
    m_outcome.cancelled = code == CURLE_ABORTED_BY_CALLBACK;
    m_outcome.sent = status != 0 || (requestSize > 0 && !IsConnectFailure(code));
    m_outcome.viaProxy = proxy.has_value();
    if (code != CURLE_OK)
        m_lastError = static_cast<int>(code);
    return true;
}

bool CHttpClient::RunWithProxyFallback(Transfer& transfer) {
    m_outcome = HttpOutcome{};
    transfer.cancel = m_cancel;
    if (!Perform(transfer, std::nullopt))
        return false;
    if (m_outcome.sent || m_outcome.cancelled)
        return true;
    // Not sent directly: once more through the proxy that the desktop or the environment
    // names for this URL, when there is one.
    std::string proxy = SystemProxyFor(transfer.url);
    if (proxy.empty() && !EnvironmentNamesProxy(SchemeOf(transfer.url)))
        return true;
    m_outcome = HttpOutcome{};
    return Perform(transfer, proxy);
}

int CHttpClient::HttpRequest(std::string_view method, const std::string& url,
                             std::span<const std::uint8_t> body, std::span<char> reply) {
    m_lastError = kHttpErrorNone;
    m_outcome = HttpOutcome{};
    if (url.empty()) {
        m_lastError = kHttpErrorNoUrl;
        return -1;
    }
    Transfer transfer;
    if (EqualsIgnoringCase(method, "GET")) {
        transfer.method = "GET";
    } else if (EqualsIgnoringCase(method, "POST")) {
        transfer.method = "POST";
    } else {
        m_lastError = kHttpErrorBadMethod;
        return -1;
    }
    transfer.url = url;
    transfer.body = body;
    transfer.formHeaders = true;

    // At most capacity - 1 bytes are kept, so the caller's zero fill still ends the text;
    // a longer reply is refused from the first byte that does not fit.
    const size_t capacity = reply.empty() ? 0 : reply.size() - 1;
    size_t written = 0;
    bool tooLong = false;
    transfer.sink = [&](std::span<const char> chunk) {
        const size_t room = capacity - written;
        const size_t take = std::min(room, chunk.size());
        std::memcpy(reply.data() + written, chunk.data(), take);
        written += take;
        if (take < chunk.size()) {
            tooLong = true;
            return false;
        }
        return true;
    };

    if (!RunWithProxyFallback(transfer)) {
        m_lastError = CURLE_FAILED_INIT;
        return -1;
    }
    m_outcome.replyTooLong = tooLong;
    if (!m_outcome.sent) {
        const size_t n = std::min(kNoLinkServer.size(), capacity);
        std::memcpy(reply.data(), kNoLinkServer.data(), n);
        return 0;
    }
    return static_cast<int>(written);
}

bool CHttpClient::Download(const std::string& url, const ChunkSink& sink,
                           const ProgressSink& progress) {
    m_lastError = kHttpErrorNone;
    m_outcome = HttpOutcome{};
    if (url.empty()) {
        m_lastError = kHttpErrorNoUrl;
        return false;
    }
    Transfer transfer;
    transfer.method = "GET";
    transfer.url = url;
    transfer.sink = sink;
    transfer.progress = progress;
    if (!RunWithProxyFallback(transfer)) {
        m_lastError = CURLE_FAILED_INIT;
        return false;
    }
    return m_outcome.complete();
}

} // namespace vpc::update
