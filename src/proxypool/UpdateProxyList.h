#pragma once

// Refetching the service list and re-applying the anonymity state afterwards:
// the download goes out directly, then, with anonymity on, the machine is
// pointed at the Gateway again and the Gateway restarted towards ProxyName.

#include <functional>

#include "proxypool/GatewayControl.h"
#include "proxypool/NewProxyList.h"
#include "proxypool/PoolUi.h"
#include "proxypool/ProxyListService.h"
#include "proxypool/ProxySwitch.h"

namespace veilport::proxypool {

// Which window runs the update; the Update panel also raises a system message
// box when the Gateway cannot start.
enum class UpdateOrigin { UpdatePanel, UpdateDialog };

struct UpdateContext {
    ProxySwitch& connection;
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

// UpdateProxyList in two halves around the download of the service list, for
// windows that wait for it off their own thread: the first switches the
// machine direct; the second takes the downloaded body (empty on failure) and
// does everything after the download, in the same order.
void BeginProxyListUpdate(UpdateContext& context);
void FinishProxyListUpdate(UpdateContext& context, UpdateOrigin origin, const std::string& body);

}  // namespace veilport::proxypool
