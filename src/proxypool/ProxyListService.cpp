#include "proxypool/ProxyListService.h"

#include "settings/StringSetting.h"

namespace veilport::proxypool {

std::string ServiceHost() {
    StringSetting host(settings::kProxyListHost);
    auto text = host.get();
    return text.empty() ? std::string(VEILPORT_VENDOR_HOST) : text;
}

bool ServiceHostSet() {
    return ServiceHost() != kPlaceholderVendorHost;
}

std::string ServiceListUrl() {
    return "http://" + ServiceHost() + kServiceListPath;
}

std::string GeneratorUrl() {
    return "http://" + ServiceHost() + kGeneratorPath;
}

HttpGet InetHttpGet(AccessLoader loadAccess,
                    std::function<void(const std::string&, const std::string&)> recordInUrlCache,
                    std::stop_token stop) {
    return [loadAccess = std::move(loadAccess), recordInUrlCache = std::move(recordInUrlCache),
            stop = std::move(stop)](const std::string& url) {
        inet::HttpDownloadOptions options;
        options.stop = stop;
        if (loadAccess) options.access = loadAccess();
        options.port = 80;
        options.recordInUrlCache = recordInUrlCache;
        return inet::httpDownloadText(url, options);
    };
}

HttpGet DirectHttpGet(std::function<void(const std::string&, const std::string&)> recordInUrlCache,
                      std::stop_token stop) {
    return InetHttpGet([] { return inet::InternetAccess{}; }, std::move(recordInUrlCache),
                       std::move(stop));
}

}  // namespace veilport::proxypool
