#include "app/window/LiveUpdate.h"

#include "app/dialogs/ProxyListUpdateDialog.h"
#include "app/pagekit/PageHost.h"
#include "app/pagekit/PoolModel.h"

namespace veilport::app {

void RunLiveUpdate(PageHost& host, QWidget* parent) {
    proxypool::ui::ProxyListUpdateDialog dialog(
        {host.pool().fresh(), host.messages(), host.pool().listGet(), host.pool().get()}, parent);
    dialog.exec();
}

}  // namespace veilport::app
