#include "platform/inet/ProxiedRequest.h"

#include <memory>

#include "platform/inet/CurlLibrary.h"

namespace veilport::inet {

namespace {

struct EasyDeleter {
    const CurlLibrary* curl;
    void operator()(CURL* easy) const { curl->easyCleanup(easy); }
};
struct ListDeleter {
    const CurlLibrary* curl;
    void operator()(curl_slist* list) const { curl->slistFreeAll(list); }
};

struct Transfer {
    std::string body;
    std::size_t limit = 0;
    bool tooLarge = false;
    const CancelCheck* cancelled = nullptr;
    bool wasCancelled = false;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (transfer.body.size() + bytes > transfer.limit) {
        transfer.tooLarge = true;
        return 0;  // less than given: libcurl fails the transfer
    }
    transfer.body.append(data, bytes);
    return bytes;
}

// libcurl calls this about once a second even while nothing moves (during the
// connect, too), which bounds how long a cancel takes.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& transfer = *static_cast<Transfer*>(user);
    if (transfer.cancelled != nullptr && *transfer.cancelled && (*transfer.cancelled)()) {
        transfer.wasCancelled = true;
        return 1;
    }
    return 0;
}

std::uint32_t Milliseconds(const CurlLibrary& curl, CURL* easy, CURLINFO info) {
    curl_off_t micros = 0;
    if (curl.easyGetinfo(easy, info, &micros) != CURLE_OK || micros < 0) return 0;
    const auto ms = static_cast<std::uint32_t>(micros / 1000);
    return ms == 0 ? 1 : ms;
}

class Request {
public:
    Request(const RequestLimits& limits, const CancelCheck& cancelled)
        : curl_(curlLibrary(&problem_)), easy_(nullptr, EasyDeleter{curl_}) {
        transfer_.limit = limits.maxBodyBytes;
        transfer_.cancelled = &cancelled;
        if (curl_ != nullptr) easy_.reset(curl_->easyInit());
        if (!easy_) {
            ok_ = false;
            return;
        }
        set(CURLOPT_NOSIGNAL, 1L);
        set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectTimeout.count()));
        set(CURLOPT_TIMEOUT_MS, static_cast<long>(limits.totalTimeout.count()));
        set(CURLOPT_WRITEFUNCTION, &OnBody);
        set(CURLOPT_WRITEDATA, &transfer_);
        set(CURLOPT_NOPROGRESS, 0L);
        set(CURLOPT_XFERINFOFUNCTION, &OnProgress);
        set(CURLOPT_XFERINFODATA, &transfer_);
        set(CURLOPT_USERAGENT, "Veilport");
        set(CURLOPT_FOLLOWLOCATION, 0L);
        if (!limits.caFile.empty()) set(CURLOPT_CAINFO, limits.caFile.c_str());
    }

    template <typename T>
    void set(CURLoption option, T value) {
        if (ok_ && curl_->easySetopt(easy_.get(), option, value) != CURLE_OK) ok_ = false;
    }

    // A list of request headers that lives as long as the request.
    curl_slist* headers(const char* line) {
        if (curl_ == nullptr) return nullptr;
        headers_.reset(curl_->slistAppend(headers_.release(), line));
        return headers_.get();
    }

    void route(const ProxyRoute& route) {
        // An explicit proxy, or an explicit "none" for every host: the
        // environment's proxy variables never choose the way.
        if (route.direct()) {
            set(CURLOPT_PROXY, "");
            set(CURLOPT_NOPROXY, "*");
            return;
        }
        set(CURLOPT_PROXY, route.proxyUrl.c_str());
        set(CURLOPT_NOPROXY, "");
        if (!route.user.empty()) {
            set(CURLOPT_PROXYUSERNAME, route.user.c_str());
            set(CURLOPT_PROXYPASSWORD, route.password.c_str());
        }
    }

    RequestOutcome perform() {
        RequestOutcome outcome;
        if (!ok_) {
            outcome.error = curl_ == nullptr ? "libcurl is not available: " + problem_
                                             : "the request could not be prepared";
            return outcome;
        }
        char message[CURL_ERROR_SIZE] = {};
        curl_->easySetopt(easy_.get(), CURLOPT_ERRORBUFFER, message);
        const CURLcode code = curl_->easyPerform(easy_.get());
        long status = 0;
        curl_->easyGetinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status);
        outcome.status = status;
        outcome.connectMs = Milliseconds(*curl_, easy_.get(), CURLINFO_CONNECT_TIME_T);
        outcome.firstByteMs = Milliseconds(*curl_, easy_.get(), CURLINFO_STARTTRANSFER_TIME_T);
        outcome.cancelled = transfer_.wasCancelled;
        outcome.tooLarge = transfer_.tooLarge;
        if (code == CURLE_OK) {
            outcome.completed = true;
            outcome.body = std::move(transfer_.body);
        } else if (outcome.cancelled) {
            outcome.error = "cancelled";
        } else if (outcome.tooLarge) {
            outcome.error = "the answer is larger than allowed";
        } else {
            outcome.error = message[0] != '\0' ? message : curl_->easyStrerror(code);
        }
        return outcome;
    }

private:
    std::string problem_;
    const CurlLibrary* curl_;
    std::unique_ptr<CURL, EasyDeleter> easy_;
    std::unique_ptr<curl_slist, ListDeleter> headers_{nullptr, ListDeleter{curl_}};
    Transfer transfer_;
    bool ok_ = true;
};

}  // namespace

RequestOutcome GetThrough(const std::string& url, const ProxyRoute& route,
                          const RequestLimits& limits, const CancelCheck& cancelled) {
    Request request(limits, cancelled);
    request.set(CURLOPT_URL, url.c_str());
    request.set(CURLOPT_PROTOCOLS_STR, "http,https");
    request.set(CURLOPT_HTTPGET, 1L);
    // libcurl adds Proxy-Connection for HTTP proxies; a proxy that passes it on
    // would otherwise look like one that announces itself.
    request.set(CURLOPT_HTTPHEADER, request.headers("Proxy-Connection:"));
    request.route(route);
    return request.perform();
}

RequestOutcome ConnectDirect(const std::string& host, int port, const RequestLimits& limits,
                             const CancelCheck& cancelled) {
    Request request(limits, cancelled);
    const bool literal6 = host.find(':') != std::string::npos;
    const std::string url =
        "http://" + (literal6 ? "[" + host + "]" : host) + ":" + std::to_string(port) + "/";
    request.set(CURLOPT_URL, url.c_str());
    request.set(CURLOPT_CONNECT_ONLY, 1L);
    request.route(ProxyRoute::Direct());
    auto outcome = request.perform();
    return outcome;
}

RequestOutcome TlsHandshakeThrough(const std::string& httpsUrl, const ProxyRoute& route,
                                   const RequestLimits& limits, const CancelCheck& cancelled) {
    Request request(limits, cancelled);
    request.set(CURLOPT_URL, httpsUrl.c_str());
    request.set(CURLOPT_PROTOCOLS_STR, "https");
    request.set(CURLOPT_CONNECT_ONLY, 1L);
    request.set(CURLOPT_HTTPPROXYTUNNEL, 1L);
    request.route(route);
    return request.perform();
}

}  // namespace veilport::inet
