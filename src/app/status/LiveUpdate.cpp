#include "app/status/LiveUpdate.h"

#include "app/window/PageHost.h"
#include "proxypool/ui/ProxyListUpdateDialog.h"

namespace veilport::app {

void RunLiveUpdate(PageHost& host, QWidget* parent) {
    proxypool::ui::ProxyListUpdateDialog dialog(
        {host.newList(), host.messages(), host.listGet(), host.httpGet()}, parent);
    dialog.exec();
    host.poolChanged();
}

}  // namespace veilport::app
