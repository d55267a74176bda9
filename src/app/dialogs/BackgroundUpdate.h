#pragma once

#include <QFuture>
#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "proxypool/PoolUi.h"
#include "proxypool/UpdateProxyList.h"

namespace veilport::proxypool::ui {

// What an update needs from the program. The update switches nothing: only
// the downloads run on the worker.
struct UpdateServices {
    NewProxyList& newList;
    UserMessages& messages;
    // The list's download, which goes out directly.
    HttpGet get;
    HttpGet generatorGet;
};

// Runs UpdateProxyList off the window thread. The download happens on a
// worker; the New list is rebuilt afterwards on the window thread, where the
// views live. done runs on context's thread, and not at all
// when context is gone by then.
void RunUpdateInBackground(UpdateServices services, UpdateOrigin origin, QObject* context,
                           std::function<void()> done);

// Whether an update started this way is still running.
bool UpdateRunning();

}  // namespace veilport::proxypool::ui
