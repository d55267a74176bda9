#include "proxypool/TestAndAdopt.h"

#include "proxypool/MyProxiesFile.h"
#include "proxypool/ProxyText.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::proxypool {

namespace {

bool AddsToFile(AdoptEntryPoint entryPoint) {
    switch (entryPoint) {
        case AdoptEntryPoint::NewList:
        case AdoptEntryPoint::Wizard:
        case AdoptEntryPoint::AddPanel:
        case AdoptEntryPoint::StatusPanelNew:
            return true;
        case AdoptEntryPoint::TestProxy:
            return false;
    }
    return false;
}

}  // namespace

AdoptOutcome TestAndAdopt(const std::string& text, const std::string& country,
                          AdoptEntryPoint entryPoint, AdoptContext& context) {
    const auto parts = SplitProxyText(text);
    if (context.dialog.run(parts.host, parts.port, text) != ProxyTesterDialog::Result::Ok)
        return AdoptOutcome::NotAdopted;
    DwordSetting fail(settings::kFail);
    StringSetting responseTime(settings::kTmpResponseTime);
    if (fail.get() == 1 || responseTime.get().empty()) return AdoptOutcome::NotAdopted;
    StringSetting downloadSpeed(settings::kTmpDownloadSpeed);
    // A passed test confirmed with OK chooses the proxy, with anonymity on or off.
    StringSetting chosen(settings::kProxyName);
    chosen.set(text);
    chosen.write();

    const auto key = AddressKey(parts.host, parts.port);
    const bool known = context.tested.FindTestedProxy(key) >= 0;
    context.tested.PutTestedProxy(key, country, responseTime.get(), downloadSpeed.get());
    if (!known && AddsToFile(entryPoint)) {
        context.dropDown.addEntry(text);
        const auto appended = AppendTestedProxy(text);
        if (!appended.ok) {
            context.messages.showMessage(appended.message);
            return AdoptOutcome::FileError;
        }
    }

    DwordSetting useProxy(settings::kUseProxy);
    if (useProxy.get() != 1) return AdoptOutcome::Adopted;
    context.gateway.updateUpstream(parts.host, parts.port);
    StringSetting proxyName(settings::kProxyName);
    proxyName.set(text);
    proxyName.write();
    if (entryPoint != AdoptEntryPoint::TestProxy) {
        StringSetting readBack(settings::kProxyName);
        context.statusLine.setStatusText(kCurrentIpPrefix + readBack.get());
        return AdoptOutcome::Adopted;
    }
    const auto saved = SaveTestedProxies(context.tested);
    if (!saved.ok) {
        context.messages.showMessage(saved.message);
        return AdoptOutcome::FileError;
    }
    return AdoptOutcome::Adopted;
}

AdoptOutcome TestTestedProxy(int index, AdoptContext& context) {
    if (index < 0 || index >= context.tested.rowCount()) return AdoptOutcome::NotAdopted;
    const ProxyRecord row = context.tested.row(index);
    context.tested.removeRow(index);
    return TestAndAdopt(row.address, row.country, AdoptEntryPoint::TestProxy, context);
}

}  // namespace veilport::proxypool
