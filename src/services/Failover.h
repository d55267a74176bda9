#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "gateway/Gateway.h"
#include "platform/secret/PasswordStore.h"
#include "proxypool/TestedProxyList.h"
#include "proxypool/Upstream.h"

namespace veilport::services {

// Whether an upstream answers now (a timed connect; tests put a fake here).
using UpstreamAnswers = std::function<bool(const proxypool::Upstream&)>;
UpstreamAnswers TimedConnectAnswers();

// The row after `failed` in the tested list (going round to the top) whose
// proxy answers, with its entry text ("address->country" as ProxyName holds
// it). Rows that do not parse are passed over. Nothing when no other row answers.
struct NextProxy {
    proxypool::Upstream upstream;
    std::string entry;
};
std::optional<NextProxy> NextAnsweringProxy(const proxypool::TestedProxyList& tested,
                                            const proxypool::Upstream& failed,
                                            const UpstreamAnswers& answers);

// What a failover tells the person (the tray's notice area, or the window).
using FailoverNotice = std::function<void(const std::string& text)>;

// Makes `gateway` move to the next tested proxy when its upstream fails twice
// in a row, while the Failover setting is 1 (read at each failure, so the box
// and `veilportctl failover` apply at once): the new upstream gets the next
// connections, ProxyName follows, and `notice` says what happened. The handler
// runs on the connection thread that saw the second failure.
void InstallFailover(Gateway& gateway, std::shared_ptr<secret::PasswordStore> passwords,
                     FailoverNotice notice, UpstreamAnswers answers = TimedConnectAnswers());

}  // namespace veilport::services
