#include "proxypool/UseTestedProxy.h"

#include "proxypool/ProxyText.h"
#include "proxypool/Upstream.h"
#include "settings/AnonymityFlag.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::proxypool {

namespace {

bool Use(const std::string& address, const std::string& country, GatewayControl& gateway,
         StatusLine& statusLine, UserMessages* messages) {
    if (!AnonymityFlag::isOn() || address.empty()) return false;
    const auto parsed = ParseUpstream(address);
    if (!parsed) {
        if (messages != nullptr) messages->showMessage(kCannotStartProxy);
        return false;
    }
    gateway.useUpstream(*parsed.upstream);
    StringSetting proxyName(settings::kProxyName);
    proxyName.set(address);
    proxyName.write();
    statusLine.setStatusText(kCurrentIpPrefix + address + "->" + country);
    return true;
}

}  // namespace

bool UseTestedProxy(const std::string& address, const std::string& country, GatewayControl& gateway,
                    StatusLine& statusLine, UserMessages& messages) {
    return Use(address, country, gateway, statusLine, &messages);
}

bool UseTestedProxy(const std::string& address, const std::string& country, GatewayControl& gateway,
                    StatusLine& statusLine) {
    return Use(address, country, gateway, statusLine, nullptr);
}

bool UseTestedDropDownEntry(const std::string& entry, GatewayControl& gateway,
                            StatusLine& statusLine, UserMessages& messages) {
    const std::string address(AddressPartOf(entry));
    if (!ParseUpstream(address)) {
        messages.showMessage(kCannotStartProxy);
        return false;
    }
    StringSetting proxyName(settings::kProxyName);
    proxyName.set(entry);
    proxyName.write();
    return Use(address, std::string(CountryOf(entry)), gateway, statusLine, &messages);
}

FileWriteResult PerformEmptyList(TestedProxyList& tested, TestedListMirror& dropDown,
                                 UserMessages& messages) {
    // The entry sits where a stray gesture can reach it, and the file holds
    // proxies that took the user time to find.
    if (!messages.askYesNo(kEmptyListQuestion)) return {};
    dropDown.resetToPerformEmptyList();
    // The file is emptied before the list announces its change, so that a
    // view refreshing itself from the file sees the list as it now is.
    auto saved = SaveTestedProxies(TestedProxyList());
    tested.clear();
    if (!saved.ok) messages.showMessage(saved.message);
    return saved;
}

}  // namespace veilport::proxypool
