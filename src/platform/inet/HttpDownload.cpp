#include "platform/inet/HttpDownload.h"

#include <algorithm>
#include <memory>

#include "platform/inet/CurlLibrary.h"
#include "platform/text/Ascii.h"

namespace veilport::inet {

namespace {

constexpr std::size_t kChunkBytes = 4095;

// Glob match with '*' for any run of characters, without regard to ASCII case.
bool WildcardMatch(std::string_view pattern, std::string_view text) {
    std::size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() &&
                   text::asciiLower(pattern[p]) == text::asciiLower(text[t])) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

struct Transfer {
    std::string text;
    std::size_t received = 0;
    std::size_t limit = 0;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    transfer.received += bytes;
    // Returning less than was given makes libcurl fail the transfer.
    if (transfer.received > transfer.limit) return 0;
    std::string_view rest(data, bytes);
    while (!rest.empty()) {
        appendDownloadChunk(transfer.text, rest.substr(0, kChunkBytes));
        rest.remove_prefix(std::min(rest.size(), kChunkBytes));
    }
    return bytes;
}

// libcurl calls this at least once a second while a transfer is in progress;
// a non-zero answer aborts it.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::stop_token*>(user)->stop_requested() ? 1 : 0;
}

struct UrlDeleter {
    const CurlLibrary* curl;
    void operator()(CURLU* url) const { curl->urlCleanup(url); }
};
struct EasyDeleter {
    const CurlLibrary* curl;
    void operator()(CURL* easy) const { curl->easyCleanup(easy); }
};
struct CurlText {
    const CurlLibrary* curl;
    char* text = nullptr;
    ~CurlText() { curl->free(text); }
};

// The URL as plain HTTP on the given port, and its host; false when it does not parse.
bool NormaliseUrl(const CurlLibrary& curl, const std::string& url, int port,
                  std::string& normalised, std::string& host) {
    std::unique_ptr<CURLU, UrlDeleter> handle(curl.url(), UrlDeleter{&curl});
    if (!handle) return false;
    if (curl.urlSet(handle.get(), CURLUPART_URL, url.c_str(),
                    CURLU_DEFAULT_SCHEME | CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        return false;
    const auto portText = std::to_string(port);
    if (curl.urlSet(handle.get(), CURLUPART_SCHEME, "http", 0) != CURLUE_OK ||
        curl.urlSet(handle.get(), CURLUPART_PORT, portText.c_str(), 0) != CURLUE_OK)
        return false;
    CurlText full{&curl}, hostPart{&curl};
    if (curl.urlGet(handle.get(), CURLUPART_URL, &full.text, 0) != CURLUE_OK ||
        curl.urlGet(handle.get(), CURLUPART_HOST, &hostPart.text, 0) != CURLUE_OK)
        return false;
    normalised = full.text;
    host = hostPart.text;
    return true;
}

}  // namespace

void appendDownloadChunk(std::string& text, std::string_view chunk) {
    chunk = chunk.substr(0, chunk.find('\0'));
    for (const char c : chunk) {
        if (c == '\n') text += '\r';
        text += c;
    }
}

bool bypassesProxy(std::string_view bypassList, std::string_view host) {
    while (!bypassList.empty()) {
        const auto end = bypassList.find_first_of("; ,\t");
        const auto entry = bypassList.substr(0, end);
        bypassList.remove_prefix(end == std::string_view::npos ? bypassList.size() : end + 1);
        if (entry.empty()) continue;
        if (entry == "<local>") {
            if (host.find('.') == std::string_view::npos) return true;
            continue;
        }
        if (WildcardMatch(entry, host)) return true;
    }
    return false;
}

std::string proxyForHost(const InternetAccess& access, std::string_view host) {
    if (access.direct || access.proxyServer.empty()) return {};
    if (bypassesProxy(access.bypassList, host)) return {};
    std::string_view servers = access.proxyServer;
    if (servers.find('=') == std::string_view::npos) return std::string(servers);
    // Per-scheme list: only the http entry applies; without one, HTTP goes direct.
    while (!servers.empty()) {
        const auto end = servers.find(';');
        auto entry = servers.substr(0, end);
        servers.remove_prefix(end == std::string_view::npos ? servers.size() : end + 1);
        const auto equals = entry.find('=');
        if (equals == std::string_view::npos) continue;
        if (text::equalsIgnoringAsciiCase(entry.substr(0, equals), "http"))
            return std::string(entry.substr(equals + 1));
    }
    return {};
}

std::string httpDownloadText(const std::string& url, const HttpDownloadOptions& options) {
    if (options.stop.stop_requested()) return {};
    const CurlLibrary* curl = curlLibrary();
    if (curl == nullptr) return {};
    std::string target, host;
    if (!NormaliseUrl(*curl, url, options.port, target, host)) return {};
    std::unique_ptr<CURL, EasyDeleter> easy(curl->easyInit(), EasyDeleter{curl});
    if (!easy) return {};
    Transfer transfer;
    transfer.limit = options.maxBodyBytes;
    const std::string proxy = proxyForHost(options.access, host);
    CURL* e = easy.get();
    bool set = curl->easySetopt(e, CURLOPT_URL, target.c_str()) == CURLE_OK;
    set = set && curl->easySetopt(e, CURLOPT_PROTOCOLS_STR, "http") == CURLE_OK;
    set = set && curl->easySetopt(e, CURLOPT_HTTPGET, 1L) == CURLE_OK;
    set = set && curl->easySetopt(e, CURLOPT_USERAGENT, options.agent.c_str()) == CURLE_OK;
    // An explicit (possibly empty) proxy keeps the environment's proxy
    // variables out: the stored options alone decide the route. A direct
    // download also tells libcurl that no host goes through any proxy.
    set = set && curl->easySetopt(e, CURLOPT_PROXY, proxy.c_str()) == CURLE_OK;
    set = set && curl->easySetopt(e, CURLOPT_NOPROXY, proxy.empty() ? "*" : "") == CURLE_OK;
    set = set && curl->easySetopt(e, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    set = set && curl->easySetopt(e, CURLOPT_CONNECTTIMEOUT_MS,
                                  static_cast<long>(options.connectTimeout.count())) == CURLE_OK;
    set = set && curl->easySetopt(e, CURLOPT_TIMEOUT_MS,
                                  static_cast<long>(options.totalTimeout.count())) == CURLE_OK;
    set = set && curl->easySetopt(e, CURLOPT_WRITEFUNCTION, &OnBody) == CURLE_OK;
    set = set && curl->easySetopt(e, CURLOPT_WRITEDATA, &transfer) == CURLE_OK;
    set = set && curl->easySetopt(e, CURLOPT_XFERINFOFUNCTION, &OnProgress) == CURLE_OK;
    set = set && curl->easySetopt(e, CURLOPT_XFERINFODATA, &options.stop) == CURLE_OK;
    set = set && curl->easySetopt(e, CURLOPT_NOPROGRESS, 0L) == CURLE_OK;
    if (!set || curl->easyPerform(e) != CURLE_OK) return {};
    if (options.recordInUrlCache) options.recordInUrlCache(url, transfer.text);
    return std::move(transfer.text);
}

}  // namespace veilport::inet
