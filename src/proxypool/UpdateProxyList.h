#pragma once

// Refetching the service list and re-applying the anonymity state afterwards:
// the download goes out directly, then, with anonymity on, the machine is
// pointed at the Gateway again and the Gateway restarted towards ProxyName.

#include <functional>

#include "proxypool/ConnectionSwitch.h"
#include "proxypool/GatewayControl.h"
#include "proxypool/NewProxyList.h"
#include "proxypool/PoolUi.h"
#include "proxypool/ProxyListService.h"

namespace veilport::proxypool {

// Which window runs the update; the Update panel also raises a system message
// box when the Gateway cannot start.
enum class UpdateOrigin { UpdatePanel, UpdateDialog };

struct UpdateContext {
    ConnectionSwitch& connection;
    GatewayControl& gateway;
    NewProxyList& newList;
    UserMessages& messages;
    // The service list download (through FetchProxyList's bracket).
    HttpGet get;
    // The download of the generator request, on its own thread and without the
    // bracket; it goes out the way the system settings say at that moment.
    HttpGet generatorGet;
    // Repaints the window that ran the update.
    std::function<void()> repaint;
};

void UpdateProxyList(UpdateContext& context, UpdateOrigin origin);

}  // namespace veilport::proxypool
