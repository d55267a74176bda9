#include "proxypool/UseTestedProxy.h"

#include "proxypool/ProxyText.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::proxypool {

bool UseTestedProxy(const std::string& address, const std::string& country, GatewayControl& gateway,
                    MainStatusLine& statusLine) {
    DwordSetting useProxy(settings::kUseProxy);
    if (useProxy.get() != 1 || address.empty()) return false;
    const auto parts = SplitProxyText(address);
    gateway.updateUpstream(parts.host, parts.port);
    StringSetting proxyName(settings::kProxyName);
    proxyName.set(address);
    proxyName.write();
    statusLine.setStatusText(kCurrentIpPrefix + address + "->" + country);
    return true;
}

bool UseTestedDropDownEntry(const std::string& entry, GatewayControl& gateway,
                            MainStatusLine& statusLine) {
    StringSetting proxyName(settings::kProxyName);
    proxyName.set(entry);
    proxyName.write();
    return UseTestedProxy(std::string(AddressPartOf(entry)), std::string(CountryOf(entry)), gateway,
                          statusLine);
}

FileWriteResult PerformEmptyList(TestedProxyList& tested, TestedDropDown& dropDown,
                                 UserMessages& messages) {
    dropDown.resetToPerformEmptyList();
    tested.clear();
    auto saved = SaveTestedProxies(tested);
    if (!saved.ok) messages.showMessage(saved.message);
    return saved;
}

}  // namespace veilport::proxypool
