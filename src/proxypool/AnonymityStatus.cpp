#include "proxypool/AnonymityStatus.h"

#include "settings/AnonymityFlag.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::proxypool {

std::string AnonymityStateWord() {
    return AnonymityFlag::isOn() ? "Enabled" : "Disabled";
}

std::string AnonymityStatusText(bool gatewayListening) {
    StringSetting proxyName(settings::kProxyName);
    DwordSetting localPort(settings::kLocalPort);
    const std::string upstream = proxyName.get().empty() ? "(none)" : proxyName.get();
    return "Online Anonymity: " + AnonymityStateWord() + "\nUpstream: " + upstream +
           "\nLocal port: " + std::to_string(localPort.get()) +
           "\nGateway: " + (gatewayListening ? "listening" : "not listening") + "\n";
}

}  // namespace veilport::proxypool
