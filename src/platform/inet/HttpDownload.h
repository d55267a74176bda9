#pragma once

// HTTP downloads of text, the way the program always made them: one GET over
// plain HTTP to a fixed port, the program's name as the agent, the body taken
// whatever the status code, and every failure answered with the empty text.
// Limits keep a dead or dripping server from holding the caller: a connect
// time-out, a whole-download time-out and a size cap.

#include <chrono>
#include <cstddef>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

namespace veilport::inet {

// How downloads reach the web: directly, or through one proxy server that the
// hosts of a bypass list skip. This is what "pre-configured access" means: the
// proxy options stored for the LAN connection, loaded by the caller at the
// moment of the download.
struct InternetAccess {
    bool direct = true;
    // "host:port", or per scheme: "http=host:port;https=host:port".
    std::string proxyServer;
    // Patterns separated by ';' (blanks and ',' also accepted): host names with
    // '*' wildcards, compared without regard to case; "<local>" matches every
    // host name without a dot.
    std::string bypassList;
};

struct HttpDownloadOptions {
    InternetAccess access;
    // The port every download uses, whatever the URL names.
    int port = 80;
    std::string agent = "Veilport";
    std::chrono::milliseconds connectTimeout{15'000};
    std::chrono::milliseconds totalTimeout{60'000};
    // Bodies larger than this fail as a whole.
    std::size_t maxBodyBytes = 16u << 20;
    // URL cache hook: when set, called after every successful download with the
    // URL and the text returned, so the download leaves a cache entry as a
    // browser's HTTP stack would. Left empty until the URL cache is connected.
    std::function<void(const std::string& url, const std::string& text)> recordInUrlCache;
    // A stop asked for here ends the download within about a second, at any
    // stage (resolving, connecting, waiting, reading), with the empty text; so
    // a program that exits never waits for a slow server.
    std::stop_token stop;
};

// GETs url and returns its body as text: read in chunks of at most 4095 bytes,
// each chunk cut at its first zero byte and with every LF turned into CR LF.
// The empty text on any failure.
[[nodiscard]] std::string httpDownloadText(const std::string& url,
                                           const HttpDownloadOptions& options);

// The proxy a download to host goes through, or the empty text for direct.
std::string proxyForHost(const InternetAccess& access, std::string_view host);

// True when host matches an entry of the bypass list.
bool bypassesProxy(std::string_view bypassList, std::string_view host);

// Appends one chunk of at most 4095 bytes to text as the download does.
void appendDownloadChunk(std::string& text, std::string_view chunk);

}  // namespace veilport::inet
