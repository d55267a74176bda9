#include "proxypool/FetchProxyList.h"

#include "settings/AnonymityFlag.h"
#include "settings/DwordSetting.h"

namespace veilport::proxypool {

std::string GatewayProxyAddress() {
    DwordSetting localPort(settings::kLocalPort);
    return "127.0.0.1:" + std::to_string(localPort.get());
}

void BeginListFetch(ConnectionSwitch& connection) {
    connection.DisableConnectionProxy();
}

void EndListFetch(ConnectionSwitch& connection) {
    // Restore what anonymity had set: the Gateway's address. ProxyName names the
    // upstream, and as an entry text ("ip:port->Country ...") it is no proxy
    // address a browser could use; pointing browsers at it would also bypass
    // the Gateway's header rewriting.
    if (AnonymityFlag::isOn()) connection.SetConnectionOptions(GatewayProxyAddress());
}

std::string FetchProxyList(const std::string& url, ConnectionSwitch& connection,
                           const HttpGet& get) {
    BeginListFetch(connection);
    std::string body = get ? get(url) : std::string();
    EndListFetch(connection);
    return body;
}

}  // namespace veilport::proxypool
