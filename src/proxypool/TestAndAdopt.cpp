#include "proxypool/TestAndAdopt.h"

#include "proxypool/MyProxiesFile.h"
#include "proxypool/ProxyText.h"
#include "proxypool/Upstream.h"
#include "proxypool/UpstreamPassword.h"
#include "settings/AnonymityFlag.h"
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
                          AdoptEntryPoint entryPoint, AdoptContext& context,
                          const std::string& password) {
    // A text that is no proxy is tested as it always was (and fails there); one
    // that is, is adopted under its password-free form, its password kept apart.
    auto parsed = ParseUpstream(text);
    if (parsed && parsed.upstream->hasLogin() && !password.empty())
        parsed.upstream->password = password;
    const auto parts = SplitProxyText(text);
    const std::string host = parsed ? parsed.upstream->host : parts.host;
    const int port = parsed ? parsed.upstream->port : parts.port;
    const std::string shown = parsed ? parsed.upstream->text : text;
    if (context.dialog.run(host, port, shown) != ProxyTester::Result::Ok)
        return AdoptOutcome::NotAdopted;
    DwordSetting fail(settings::kFail);
    StringSetting responseTime(settings::kTmpResponseTime);
    if (fail.get() == 1 || responseTime.get().empty()) return AdoptOutcome::NotAdopted;
    StringSetting downloadSpeed(settings::kTmpDownloadSpeed);
    // A passed test confirmed with OK chooses the proxy, with anonymity on or off.
    // Under the text without its password: ProxyName is a stored setting.
    StringSetting chosen(settings::kProxyName);
    chosen.set(shown);
    chosen.write();

    // The key keeps a scheme and user other than plain HTTP, so the row still
    // says what kind of proxy it is.
    const auto key = parsed ? parsed.upstream->displayText() : AddressKey(host, port);
    if (parsed && parsed.upstream->password && context.passwords)
        (void)KeepPassword(*parsed.upstream, *context.passwords);
    const bool known = context.tested.FindTestedProxy(key) >= 0;
    context.tested.PutTestedProxy(key, country, responseTime.get(), downloadSpeed.get());
    if (!known && AddsToFile(entryPoint)) {
        context.dropDown.addEntry(shown);
        const auto appended = AppendTestedProxy(shown);
        if (!appended.ok) {
            context.messages.showMessage(appended.message);
            return AdoptOutcome::FileError;
        }
    }

    if (!AnonymityFlag::isOn()) return AdoptOutcome::Adopted;
    if (parsed)
        context.gateway.useUpstream(*parsed.upstream);
    else
        context.gateway.updateUpstream(host, port);
    StringSetting proxyName(settings::kProxyName);
    proxyName.set(shown);
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
