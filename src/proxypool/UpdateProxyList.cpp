#include "proxypool/UpdateProxyList.h"

#include "proxypool/FetchProxyList.h"
#include "proxypool/GeneratorRequest.h"

namespace veilport::proxypool {

void UpdateProxyList(UpdateContext& context, UpdateOrigin origin) {
    FinishProxyListUpdate(context, origin, FetchProxyList(ServiceListUrl(), context.get));
}

void FinishProxyListUpdate(UpdateContext& context, UpdateOrigin, const std::string& body) {
    context.newList.clear();
    context.newList.rebuild(body);
    GeneratorRequest::instance().start(context.generatorGet, GeneratorUrl());
    if (context.repaint) context.repaint();
}

}  // namespace veilport::proxypool
