#include "proxypool/ProxyJudge.h"

#include "settings/StringSetting.h"

namespace veilport::proxypool {

JudgeConfig JudgeConfigFromSettings() {
    JudgeConfig config;
    config.judgeUrl = StringSetting(settings::kJudgeUrl).get();
    config.httpsUrl = StringSetting(settings::kJudgeHttpsUrl).get();
    return config;
}

inet::ProxyRoute RouteFor(const ListedProxy& proxy) {
    inet::ProxyRoute route;
    route.proxyUrl = proxy.scheme + "://" + proxy.host + ":" + std::to_string(proxy.port);
    route.user = proxy.user;
    route.password = proxy.password;
    return route;
}

std::string HttpsTarget(const JudgeConfig& config) {
    if (!config.httpsUrl.empty()) return config.httpsUrl;
    std::string_view rest = config.judgeUrl;
    if (const auto scheme = rest.find("://"); scheme != std::string_view::npos)
        rest.remove_prefix(scheme + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    if (const auto at = rest.rfind('@'); at != std::string_view::npos) rest.remove_prefix(at + 1);
    if (!rest.starts_with('[')) rest = rest.substr(0, rest.find(':'));
    return "https://" + std::string(rest) + "/";
}

std::unique_ptr<ProxyJudge> ProxyJudge::FromSettings() {
    auto countries =
        std::make_shared<const CountryLookup>(StringSetting(settings::kCountryDatabase).get());
    return std::make_unique<ProxyJudge>(JudgeConfigFromSettings(), std::move(countries));
}

ProxyJudge::ProxyJudge(JudgeConfig config, std::shared_ptr<const CountryLookup> countries)
    : config_(std::move(config)), countries_(std::move(countries)) {}

std::optional<JudgeAnswer> ProxyJudge::ask(const inet::ProxyRoute& route, std::string& why,
                                           const inet::CancelCheck& cancelled,
                                           std::uint32_t* firstByteMs) const {
    const auto outcome = inet::GetThrough(config_.judgeUrl, route, config_.limits, cancelled);
    if (firstByteMs != nullptr) *firstByteMs = outcome.firstByteMs;
    if (!outcome.completed) {
        why = outcome.cancelled ? "cancelled" : "no answer: " + outcome.error;
        return std::nullopt;
    }
    if (outcome.status != 200) {
        why = "answered with status " + std::to_string(outcome.status);
        return std::nullopt;
    }
    auto answer = ReadJudgeAnswer(outcome.body);
    if (!answer) why = "the answer is not the judge's own page";
    return answer;
}

std::string ProxyJudge::realAddress(const inet::CancelCheck& cancelled) {
    std::lock_guard lock(realMutex_);
    if (real_) return *real_;
    std::string why;
    const auto answer = ask(inet::ProxyRoute::Direct(), why, cancelled);
    if (!answer) return {};
    real_ = answer->exitAddress();
    return *real_;
}

std::string ProxyJudge::countryOf(const std::string& address) const {
    return countries_ ? countries_->country(address) : std::string(kUnknownCountry);
}

ProxyCheck ProxyJudge::check(const ListedProxy& proxy, const inet::CancelCheck& cancelled) {
    ProxyCheck result;
    const auto connect = inet::ConnectDirect(proxy.host, proxy.port, config_.limits, cancelled);
    result.cancelled = connect.cancelled;
    if (!connect.completed) {
        result.failure = connect.cancelled ? "cancelled" : "Connection Failure";
        return result;
    }
    result.connected = true;
    result.connectMs = connect.connectMs;
    const std::string real = realAddress(cancelled);
    if (real.empty()) {
        // Without a judge only today's check is possible: the connect.
        result.works = true;
        return result;
    }
    result.judgeReachable = true;
    const auto route = RouteFor(proxy);
    std::string why;
    const auto answer = ask(route, why, cancelled, &result.latencyMs);
    if (!answer) {
        result.cancelled = why == "cancelled";
        result.failure = why;
        return result;
    }
    result.works = true;
    result.exitAddress = answer->exitAddress();
    result.level = ClassifyAnonymity(*answer, real);
    result.country = countryOf(result.exitAddress);
    const auto tls =
        inet::TlsHandshakeThrough(HttpsTarget(config_), route, config_.limits, cancelled);
    result.cancelled = tls.cancelled;
    if (!tls.cancelled) result.https = tls.completed ? HttpsSupport::Yes : HttpsSupport::No;
    return result;
}

}  // namespace veilport::proxypool
