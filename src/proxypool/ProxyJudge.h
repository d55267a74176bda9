#pragma once

// The honest check of one proxy: a timed connect, then a real request through
// the proxy to a judge that echoes the request's headers and the caller's
// address. From the judge's answer come whether the proxy works at all (the
// judge's own answer with status 200, so a proxy that serves its own page
// fails), the time to the first byte, the exit address, the anonymity level
// and the exit country; a TLS handshake through the proxy says whether HTTPS
// passes. The user's real address is learnt by one direct request to the
// judge and kept for the life of the object. Safe to use from many threads.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/inet/ProxiedRequest.h"
#include "proxypool/AnonymityLevel.h"
#include "proxypool/CountryLookup.h"
#include "proxypool/JudgeAnswer.h"
#include "proxypool/ListedProxy.h"

namespace veilport::proxypool {

struct JudgeConfig {
    std::string judgeUrl;
    // Empty: the judge's host on port 443.
    std::string httpsUrl;
    inet::RequestLimits limits;
};

// JudgeUrl and JudgeHttpsUrl as stored now.
JudgeConfig JudgeConfigFromSettings();

enum class HttpsSupport { NotChecked, Yes, No };

struct ProxyCheck {
    bool connected = false;
    std::uint32_t connectMs = 0;
    // False when the judge did not answer a direct request: then nothing but
    // the connect could be checked, and works means connected.
    bool judgeReachable = false;
    bool works = false;
    std::uint32_t latencyMs = 0;  // first byte of the judge's answer through the proxy
    std::string exitAddress;
    AnonymityLevel level = AnonymityLevel::Transparent;
    HttpsSupport https = HttpsSupport::NotChecked;
    std::string country;
    std::string failure;  // why it does not work, for people
    bool cancelled = false;
};

// How a check reaches a proxy: "scheme://host:port" and its login.
inet::ProxyRoute RouteFor(const ListedProxy& proxy);

// The https URL a check's handshake aims at.
std::string HttpsTarget(const JudgeConfig& config);

class ProxyJudge {
public:
    explicit ProxyJudge(JudgeConfig config, std::shared_ptr<const CountryLookup> countries = {});

    const JudgeConfig& config() const { return config_; }

    // The user's own address as the judge sees it; one direct request the
    // first time, the kept answer after. Empty when the judge did not answer
    // (asked again next time, unless the failure was a cancel).
    std::string realAddress(const inet::CancelCheck& cancelled = {});

    // The judge's answer to a request along route, or nullopt with why.
    std::optional<JudgeAnswer> ask(const inet::ProxyRoute& route, std::string& why,
                                   const inet::CancelCheck& cancelled = {},
                                   std::uint32_t* firstByteMs = nullptr) const;

    [[nodiscard]] ProxyCheck check(const ListedProxy& proxy,
                                   const inet::CancelCheck& cancelled = {});

    std::string countryOf(const std::string& address) const;

    // A judge as the settings name it, with the country database they name
    // (or the system's).
    static std::unique_ptr<ProxyJudge> FromSettings();

private:
    JudgeConfig config_;
    std::shared_ptr<const CountryLookup> countries_;
    std::mutex realMutex_;  // held across the one direct request, so it goes out once
    std::optional<std::string> real_;
};

}  // namespace veilport::proxypool
