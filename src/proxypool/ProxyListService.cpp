#include "proxypool/ProxyListService.h"

#include "settings/StringSetting.h"

namespace veilport::proxypool {

std::string ServiceHost() {
    StringSetting host(settings::kProxyListHost);
    auto text = host.get();
    return text.empty() ? std::string(VEILPORT_VENDOR_HOST) : text;
}

std::string ServiceListUrl() {
    return "http://" + ServiceHost() + kServiceListPath;
}

std::string GeneratorUrl() {
    return "http://" + ServiceHost() + kGeneratorPath;
}

HttpGet InetHttpGet(AccessLoader loadAccess,
                    std::function<void(const std::string&, const std::string&)> recordInUrlCache) {
    return [loadAccess = std::move(loadAccess),
            recordInUrlCache = std::move(recordInUrlCache)](const std::string& url) {
        inet::HttpDownloadOptions options;
        if (loadAccess) options.access = loadAccess();
        options.port = 80;
        options.recordInUrlCache = recordInUrlCache;
        return inet::HttpDownloadText(url, options);
    };
}

HttpGet DirectHttpGet(
    std::function<void(const std::string&, const std::string&)> recordInUrlCache) {
    return InetHttpGet([] { return inet::InternetAccess{}; }, std::move(recordInUrlCache));
}

}  // namespace veilport::proxypool
