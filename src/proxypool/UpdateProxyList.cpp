#include "proxypool/UpdateProxyList.h"

#include "proxypool/FetchProxyList.h"
#include "proxypool/GeneratorRequest.h"
#include "proxypool/ProxyText.h"
#include "settings/AnonymityFlag.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::proxypool {

void BeginProxyListUpdate(UpdateContext& context) {
    context.connection.DisableConnectionProxy();
    BeginListFetch(context.connection);
}

void UpdateProxyList(UpdateContext& context, UpdateOrigin origin) {
    BeginProxyListUpdate(context);
    const auto body = context.get ? context.get(ServiceListUrl()) : std::string();
    FinishProxyListUpdate(context, origin, body);
}

void FinishProxyListUpdate(UpdateContext& context, UpdateOrigin origin, const std::string& body) {
    EndListFetch(context.connection);
    context.newList.clear();
    context.newList.rebuild(body);
    GeneratorRequest::instance().start(context.generatorGet, GeneratorUrl());

    StringSetting proxyName(settings::kProxyName);
    if (AnonymityFlag::isOn()) {
        const auto upstream = SplitProxyText(proxyName.get());
        DwordSetting localPort(settings::kLocalPort);
        context.connection.SetConnectionOptions(GatewayProxyAddress());
        if (context.gateway.isRunning()) context.gateway.stop();
        if (!context.gateway.start(static_cast<int>(localPort.get()), upstream.host,
                                   upstream.port)) {
            context.messages.showMessage(kCannotStartProxy);
            if (origin == UpdateOrigin::UpdatePanel)
                context.messages.showSystemMessageBox(kCannotStartProxy, kErrorCaption);
        }
    } else {
        context.connection.DisableConnectionProxy();
        AnonymityFlag::store(false);
        if (context.gateway.isRunning()) context.gateway.stop();
    }
    if (context.repaint) context.repaint();
}

}  // namespace veilport::proxypool
