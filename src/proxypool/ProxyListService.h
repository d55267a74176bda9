#pragma once

// Where the proxy-list service lives and how the pool talks HTTP to it.

#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

#include "platform/inet/HttpDownload.h"

namespace veilport::proxypool {

inline constexpr const char* kServiceListPath = "/services/ib/proxy/sortedproxylist.txt";
inline constexpr const char* kGeneratorPath = "/services/ib/proxy/proxygenerator.asp";

// The host a build names when it was given no list service: nobody serves it.
inline constexpr std::string_view kPlaceholderVendorHost = "www.veilport.example";

// The service's host: the ProxyListHost setting when it is not empty, else the
// vendor's host chosen when the program was built.
std::string ServiceHost();
// Whether there is a list service to ask: a host chosen in ProxyListHost or at
// build time. Without one, nothing goes out to the placeholder host unasked.
bool ServiceHostSet();
std::string ServiceListUrl();
std::string GeneratorUrl();

// One HTTP GET returning the body text, or the empty text on any failure.
using HttpGet = std::function<std::string(const std::string& url)>;

// Loads the stored "pre-configured access" options at the moment of a download.
using AccessLoader = std::function<inet::InternetAccess()>;

// The real downloads: port 80 whatever the URL says, the access options
// loaded afresh for each download, and the URL cache hook passed through. A
// stop asked for through `stop` ends a download in progress (see
// inet::HttpDownloadOptions).
HttpGet InetHttpGet(
    AccessLoader loadAccess,
    std::function<void(const std::string& url, const std::string& text)> recordInUrlCache = {},
    std::stop_token stop = {});

// Downloads that go out directly whatever the system's proxy settings say,
// through libcurl's own no-proxy setting (the proxy-list service is reached
// without a proxy, and nothing of the system is switched for it).
HttpGet DirectHttpGet(
    std::function<void(const std::string& url, const std::string& text)> recordInUrlCache = {},
    std::stop_token stop = {});

}  // namespace veilport::proxypool
