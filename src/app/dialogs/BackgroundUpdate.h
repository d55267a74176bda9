#pragma once

#include <QFuture>
#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "proxypool/UpdateProxyList.h"

namespace veilport::proxypool::ui {

// What an update needs from the program. The Gateway and the connection
// switch are used from the worker thread: the program's are safe for that,
// and nothing else touches them while the update runs (its dialog is modal,
// and the command channel refuses a second update).
struct UpdateServices {
    ProxySwitch& connection;
    GatewayControl& gateway;
    NewProxyList& newList;
    UserMessages& messages;
    HttpGet get;
    HttpGet generatorGet;
};

// Runs UpdateProxyList off the window thread. The download and the Gateway
// restart happen on a worker; the New list is rebuilt and the messages the
// update raised are shown afterwards on the window thread, where the views
// and the message box live. done runs on context's thread, and not at all
// when context is gone by then.
void RunUpdateInBackground(UpdateServices services, UpdateOrigin origin, QObject* context,
                           std::function<void()> done);

// Whether an update started this way is still running.
bool UpdateRunning();

}  // namespace veilport::proxypool::ui
