#include "services/Anonymity.h"

#include "proxypool/AnonymityStatus.h"
#include "proxypool/FetchProxyList.h"
#include "proxypool/PoolUi.h"
#include "proxypool/ProxyText.h"
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
    const auto upstream = proxypool::SplitProxyText(proxyName);
    // The Gateway cannot forward to a port outside 1 to 65535; pointing the
    // browsers at it would leave them at a proxy that carries nothing.
    if (!proxypool::IsUsablePort(upstream.port))
        return switchEverythingOff(AnonymityOutcome::Result::Refused, proxypool::kCannotStartProxy);

    AnonymityOutcome outcome;
    outcome.result = AnonymityOutcome::Result::Enabled;
    outcome.report = connection_.SetConnectionOptions(proxypool::GatewayProxyAddress());
    if (gateway_.isRunning()) gateway_.stop();
    const auto localPort = DwordSetting(settings::kLocalPort).get();
    if (!gateway_.start(static_cast<int>(localPort), upstream.host, upstream.port))
        outcome.message = proxypool::kCannotStartProxy;
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

browsers::SwitchReport Anonymity::resetForNewSession() {
    browsers::SwitchReport report;
    if (AnonymityFlag::isOn()) report = connection_.DisableConnectionProxy();
    AnonymityFlag::clearForNewSession();
    return report;
}

bool Anonymity::isOn() const {
    return AnonymityFlag::isOn();
}

std::string Anonymity::stateWord() const {
    return proxypool::AnonymityStateWord();
}

void Anonymity::changed(const AnonymityOutcome& outcome) {
    for (const auto& listener : listeners_) listener(outcome);
}

}  // namespace veilport::services
