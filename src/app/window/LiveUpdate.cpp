#include "app/window/LiveUpdate.h"

#include "app/dialogs/ProxyListUpdateDialog.h"
#include "app/pagekit/PageHost.h"
#include "app/pagekit/PoolModel.h"

namespace veilport::app {

void RunLiveUpdate(PageHost& host, QWidget* parent) {
    const proxypool::HttpGet get = host.pool().get();
    proxypool::ui::ProxyListUpdateDialog dialog({host.pool().connection(), host.pool().gateway(),
                                                 host.pool().fresh(), host.messages(), get, get},
                                                parent);
    dialog.exec();
}

}  // namespace veilport::app
