#include "proxypool/UseTestedProxy.h"

#include "proxypool/ProxyText.h"
#include "settings/AnonymityFlag.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::proxypool {

namespace {

bool Use(const std::string& address, const std::string& country, GatewayControl& gateway,
         MainStatusLine& statusLine, UserMessages* messages) {
    if (!AnonymityFlag::isOn() || address.empty()) return false;
    const auto parts = SplitProxyText(address);
    if (!IsUsablePort(parts.port)) {
        if (messages != nullptr) messages->showMessage(kCannotStartProxy);
        return false;
    }
    gateway.updateUpstream(parts.host, parts.port);
    StringSetting proxyName(settings::kProxyName);
    proxyName.set(address);
    proxyName.write();
    statusLine.setStatusText(kCurrentIpPrefix + address + "->" + country);
    return true;
}

}  // namespace

bool UseTestedProxy(const std::string& address, const std::string& country, GatewayControl& gateway,
                    MainStatusLine& statusLine, UserMessages& messages) {
    return Use(address, country, gateway, statusLine, &messages);
}

bool UseTestedProxy(const std::string& address, const std::string& country, GatewayControl& gateway,
                    MainStatusLine& statusLine) {
    return Use(address, country, gateway, statusLine, nullptr);
}

bool UseTestedDropDownEntry(const std::string& entry, GatewayControl& gateway,
                            MainStatusLine& statusLine, UserMessages& messages) {
    const std::string address(AddressPartOf(entry));
    if (!IsUsablePort(SplitProxyText(address).port)) {
        messages.showMessage(kCannotStartProxy);
        return false;
    }
    StringSetting proxyName(settings::kProxyName);
    proxyName.set(entry);
    proxyName.write();
    return Use(address, std::string(CountryOf(entry)), gateway, statusLine, &messages);
}

FileWriteResult PerformEmptyList(TestedProxyList& tested, TestedDropDown& dropDown,
                                 UserMessages& messages) {
    dropDown.resetToPerformEmptyList();
    // The file is emptied before the list announces its change, so that a
    // view refreshing itself from the file sees the list as it now is.
    auto saved = SaveTestedProxies(TestedProxyList());
    tested.clear();
    if (!saved.ok) messages.showMessage(saved.message);
    return saved;
}

}  // namespace veilport::proxypool
