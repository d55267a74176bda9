#include "services/Failover.h"

#include "proxypool/ConnectTime.h"
#include "proxypool/MyProxiesFile.h"
#include "proxypool/ProxyText.h"
#include "proxypool/UpstreamPassword.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"

namespace veilport::services {

using proxypool::ParseUpstream;
using proxypool::Upstream;

UpstreamAnswers TimedConnectAnswers() {
    return [](const Upstream& upstream) {
        return proxypool::MeasureConnectTime(upstream.host, upstream.port) > 0;
    };
}

std::optional<NextProxy> NextAnsweringProxy(const proxypool::TestedProxyList& tested,
                                            const Upstream& failed,
                                            const UpstreamAnswers& answers) {
    const int count = tested.rowCount();
    int start = 0;
    for (int i = 0; i < count; ++i) {
        const auto parsed = ParseUpstream(tested.row(i).address);
        if (parsed && parsed.upstream->sameAccount(failed)) {
            start = i + 1;
            break;
        }
    }
    for (int step = 0; step < count; ++step) {
        const auto& row = tested.row((start + step) % count);
        const auto parsed = ParseUpstream(row.address);
        if (!parsed || parsed.upstream->sameAccount(failed)) continue;
        if (!answers(*parsed.upstream)) continue;
        return NextProxy{*parsed.upstream,
                         row.address + std::string(proxypool::kCountrySeparator) + row.country};
    }
    return std::nullopt;
}

void InstallFailover(Gateway& gateway, std::shared_ptr<secret::PasswordStore> passwords,
                     FailoverNotice notice, UpstreamAnswers answers) {
    gateway.setFailoverHandler([&gateway, passwords, notice = std::move(notice),
                                answers = std::move(answers)](const GatewaySettings& failed) {
        if (DwordSetting(settings::kFailover).get() != 1) return;
        proxypool::TestedProxyList tested;
        if (!proxypool::LoadTestedProxies(tested).ok) return;
        Upstream failedUpstream;
        failedUpstream.scheme = failed.scheme;
        failedUpstream.host = failed.upstreamHost;
        failedUpstream.port = failed.upstreamPort;
        failedUpstream.user = failed.user;
        const auto next = NextAnsweringProxy(tested, failedUpstream, answers);
        if (!next) {
            notice("The proxy " + failed.upstreamText() +
                   " failed twice and no other tested proxy answers.");
            return;
        }
        GatewaySettings settings = failed;
        settings.setUpstream(passwords ? proxypool::WithKeptPassword(next->upstream, *passwords)
                                       : next->upstream);
        gateway.updateUpstream(settings);
        StringSetting proxyName(settings::kProxyName);
        proxyName.set(next->entry);
        notice("The proxy " + failed.upstreamText() + " failed twice; Veilport now uses " +
               next->upstream.displayText() + ".");
    });
}

}  // namespace veilport::services
