#include "app/status/LiveUpdate.h"

#include "app/window/PageHost.h"
#include "proxypool/ui/ProxyListUpdateDialog.h"

namespace veilport::app {

void RunLiveUpdate(PageHost& host, QWidget* parent) {
    const proxypool::HttpGet get = host.httpGet();
    proxypool::ui::ProxyListUpdateDialog dialog(
        {host.connection(), host.gateway(), host.newList(), host.messages(), get, get}, parent);
    dialog.exec();
    host.poolChanged();
}

}  // namespace veilport::app
