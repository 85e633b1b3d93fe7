// The one function of the system proxy module, loaded when the first request is made: the
// desktop's proxy lookup needs Qt's network library, which the program does not map at start.
#pragma once

extern "C" {
// Writes the libcurl proxy URL for `url` ("http://host:port", "socks5h://host:port") with its
// terminating zero into `out` and returns its length; 0 when the URL goes direct; -1 when it
// does not fit into `capacity` bytes or `url` is null.
using VpcSystemProxyForFunction = int (*)(const char* url, char* out, int capacity);
}

namespace vpc::update {
inline constexpr const char* kSystemProxyFunction = "vpc_system_proxy_for";
inline constexpr const char* kSystemProxyModule = "vorna-system-proxy.so";
} // namespace vpc::update
