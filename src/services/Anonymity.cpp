#include "services/Anonymity.h"

#include <filesystem>

#include "platform/desktop/SwitchJournal.h"
#include "proxypool/AnonymityStatus.h"
#include "proxypool/FetchProxyList.h"
#include "proxypool/PoolUi.h"
#include "proxypool/ProxyText.h"
#include "proxypool/Upstream.h"
#include "settings/AnonymityFlag.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::services {

AnonymityOutcome Anonymity::switchOn() {
    AnonymityFlag::store(true);
    return applyStored();
}

AnonymityOutcome Anonymity::switchOff() {
    AnonymityFlag::store(false);
    return applyStored();
}

AnonymityOutcome Anonymity::toggle() {
    return AnonymityFlag::isOff() ? switchOn() : switchOff();
}

AnonymityOutcome Anonymity::applyStored() {
    if (!AnonymityFlag::isOn()) return switchEverythingOff(AnonymityOutcome::Result::Disabled, {});

    const std::string proxyName = StringSetting(settings::kProxyName).get();
    if (proxyName.empty())
        return switchEverythingOff(AnonymityOutcome::Result::NoProxy, proxypool::kSelectProxyFirst);
    const auto parsed = proxypool::ParseUpstream(proxyName);
    // The Gateway cannot forward to a proxy it cannot read, nor to a port
    // outside 1 to 65535; pointing the browsers at it would leave them at a
    // proxy that carries nothing.
    if (!parsed.upstream || !proxypool::IsUsablePort(parsed.upstream->port))
        return switchEverythingOff(AnonymityOutcome::Result::Refused, proxypool::kCannotStartProxy);

    // The Gateway first, and only once it listens is anything pointed at its
    // port: a port another program holds must never receive the browsers'
    // traffic, and a dead port must never show as Enabled.
    if (gateway_.isRunning()) gateway_.stop();
    const auto localPort = DwordSetting(settings::kLocalPort).get();
    if (localPort < 1 || localPort > 65535 ||
        !gateway_.startUpstream(static_cast<int>(localPort), *parsed.upstream)) {
        const std::string why = gateway_.startProblem();
        return switchEverythingOff(AnonymityOutcome::Result::Refused,
                                   why.empty() ? std::string(proxypool::kCannotStartProxy) : why);
    }
    AnonymityOutcome outcome;
    outcome.result = AnonymityOutcome::Result::Enabled;
    outcome.report = connection_.SetConnectionOptions(proxypool::GatewayProxyAddress());
    outcome.gatewayRunning = gateway_.isRunning();
    changed(outcome);
    return outcome;
}

AnonymityOutcome Anonymity::switchEverythingOff(AnonymityOutcome::Result result,
                                                std::string message) {
    AnonymityOutcome outcome;
    outcome.result = result;
    outcome.message = std::move(message);
    outcome.report = connection_.DisableConnectionProxy();
    AnonymityFlag::store(false);
    if (gateway_.isRunning()) gateway_.stop();
    outcome.gatewayRunning = gateway_.isRunning();
    changed(outcome);
    return outcome;
}

AnonymityOutcome Anonymity::changePort(std::uint32_t port) {
    DwordSetting localPort(settings::kLocalPort);
    const std::uint32_t old = localPort.get();
    const auto store = [&localPort](std::uint32_t value) {
        localPort.set(value);
        localPort.write();
    };
    if (!AnonymityFlag::isOn()) {
        store(port);
        return {};
    }
    const auto parsed = proxypool::ParseUpstream(StringSetting(settings::kProxyName).get());
    // Without a Gateway to move (nothing usable to forward to), the stored
    // state decides, as at any switch-on.
    if (!parsed.upstream || !proxypool::IsUsablePort(parsed.upstream->port) ||
        !gateway_.isRunning()) {
        store(port);
        return applyStored();
    }
    AnonymityOutcome outcome;
    outcome.result = AnonymityOutcome::Result::Enabled;
    if (port == old) {
        outcome.gatewayRunning = true;
        return outcome;
    }
    // One Gateway listens on one port: the old one is given up first.
    gateway_.stop();
    if (port >= 1 && port <= 65535 &&
        gateway_.startUpstream(static_cast<int>(port), *parsed.upstream)) {
        store(port);
        outcome.report = connection_.SetConnectionOptions(proxypool::GatewayProxyAddress());
        outcome.gatewayRunning = gateway_.isRunning();
        changed(outcome);
        return outcome;
    }
    std::string why = gateway_.startProblem();
    if (why.empty()) why = proxypool::kCannotStartProxy;
    // Every target still names the old port; the Gateway goes back there.
    if (old >= 1 && old <= 65535 &&
        gateway_.startUpstream(static_cast<int>(old), *parsed.upstream)) {
        outcome.message = std::move(why);
        outcome.gatewayRunning = gateway_.isRunning();
        changed(outcome);
        return outcome;
    }
    return switchEverythingOff(AnonymityOutcome::Result::Refused, std::move(why));
}

browsers::SwitchReport Anonymity::resetForNewSession() {
    browsers::SwitchReport report;
    if (mayPointAtGateway()) report = connection_.DisableConnectionProxy();
    AnonymityFlag::clearForNewSession();
    return report;
}

bool Anonymity::isOn() const {
    return AnonymityFlag::isOn();
}

bool Anonymity::mayPointAtGateway() const {
    std::error_code ec;
    return AnonymityFlag::isOn() || std::filesystem::exists(desktop::SwitchJournal::Path(), ec);
}

std::string Anonymity::stateWord() const {
    return proxypool::AnonymityStateWord();
}

void Anonymity::changed(const AnonymityOutcome& outcome) {
    for (const auto& listener : listeners_) listener(outcome);
}

}  // namespace veilport::services
