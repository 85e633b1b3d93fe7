// The system proxy module: asks Qt's network library for the proxy that the desktop's settings
// (GNOME, KDE, a PAC script through libproxy) or the environment name for a URL.
#include "SystemProxyAbi.h"

#include <QNetworkProxyFactory>
#include <QUrl>

#include <cstring>
#include <string>

namespace {

std::string ProxyFor(const char* url) {
    const QUrl target(QString::fromUtf8(url));
    const QList<QNetworkProxy> proxies =
        QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(target));
    for (const QNetworkProxy& proxy : proxies) {
        QString scheme;
        switch (proxy.type()) {
        case QNetworkProxy::HttpProxy:
        case QNetworkProxy::HttpCachingProxy:
            scheme = QStringLiteral("http");
            break;
        case QNetworkProxy::Socks5Proxy:
            scheme = QStringLiteral("socks5h");
            break;
        default:
            continue; // no proxy, or one libcurl cannot speak
        }
        if (proxy.hostName().isEmpty())
            continue;
        QUrl address;
        address.setScheme(scheme);
        address.setHost(proxy.hostName());
        address.setPort(proxy.port() > 0 ? proxy.port() : 1080);
        if (!proxy.user().isEmpty()) {
            address.setUserName(proxy.user());
            address.setPassword(proxy.password());
        }
        return address.toString(QUrl::FullyEncoded).toStdString();
    }
    return {};
}

} // namespace

extern "C" __attribute__((visibility("default"))) int
vpc_system_proxy_for(const char* url, char* out, int capacity) {
    if (url == nullptr || out == nullptr || capacity <= 0)
        return -1;
    const std::string proxy = ProxyFor(url);
    if (proxy.size() + 1 > static_cast<std::size_t>(capacity))
        return -1;
    std::memcpy(out, proxy.c_str(), proxy.size() + 1);
    return static_cast<int>(proxy.size());
}
