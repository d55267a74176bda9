#include "proxypool/FetchProxyList.h"

#include "settings/DwordSetting.h"

namespace veilport::proxypool {

std::string GatewayProxyAddress() {
    DwordSetting localPort(settings::kLocalPort);
    return "127.0.0.1:" + std::to_string(localPort.get());
}

std::string FetchProxyList(const std::string& url, const HttpGet& directGet) {
    return directGet ? directGet(url) : std::string();
}

}  // namespace veilport::proxypool
