#pragma once

// Refetching the service list: the download goes out directly (through the
// download's own no-proxy setting), the New list is rebuilt and the generator
// request sent. Nothing of the anonymity state is touched: the system, the
// browsers and the Gateway stay as they are, so an update can never leave the
// machine pointed away from the Gateway, nor wipe a proxy the user set up.

#include <functional>

#include "proxypool/NewProxyList.h"
#include "proxypool/ProxyListService.h"

namespace veilport::proxypool {

// Which window runs the update.
enum class UpdateOrigin { UpdatePanel, UpdateDialog };

struct UpdateContext {
    NewProxyList& newList;
    // The service list download; it must go out directly (DirectHttpGet).
    HttpGet get;
    // The download of the generator request, on its own thread; it goes out
    // the way the system settings say at that moment.
    HttpGet generatorGet;
    // Repaints the window that ran the update.
    std::function<void()> repaint;
};

void UpdateProxyList(UpdateContext& context, UpdateOrigin origin);

// Everything after the download of the service list, for windows that wait
// for it off their own thread: takes the downloaded body (empty on failure).
void FinishProxyListUpdate(UpdateContext& context, UpdateOrigin origin, const std::string& body);

}  // namespace veilport::proxypool
