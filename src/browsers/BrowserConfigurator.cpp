#include "browsers/BrowserConfigurator.h"

#include "browsers/MozillaProxy.h"
#include "browsers/OperaProxy.h"
#include "browsers/SystemProxy.h"
#include "settings/DwordSetting.h"

namespace veilport::browsers {

bool BrowserConfigurator::setSystemProxy(std::string_view server, SwitchReport& report) {
    return SetSystemProxy(server, report);
}

bool BrowserConfigurator::clearSystemProxy(SwitchReport& report) {
    return ClearSystemProxy(report);
}

namespace {

// Browser files name the port the Gateway listens on. A stored LocalPort that
// no Gateway can listen on leaves the browser as it is, and says so.
std::optional<std::uint16_t> PortFor(const std::string& target, SwitchReport& report) {
    const auto port = GatewayPort();
    if (!port)
        report.failed(target, "LocalPort " +
                                  std::to_string(DwordSetting(settings::kLocalPort).get()) +
                                  " is no port the Gateway can listen on; left as it is");
    return port;
}

}  // namespace

std::optional<std::uint16_t> GatewayPort() {
    const std::uint32_t port = DwordSetting(settings::kLocalPort).get();
    if (port < 1 || port > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(port);
}

void BrowserConfigurator::setOperaFile(OperaFile file, SwitchReport& report) {
    if (const auto port = PortFor("Opera", report)) report.append(SetOperaFile(file, *port));
}

void BrowserConfigurator::restoreOperaFile(OperaFile file, SwitchReport& report) {
    report.append(RestoreOperaFile(file));
}

void BrowserConfigurator::setMozilla(MozillaFamily family, SwitchReport& report) {
    const auto port = PortFor("browser profiles", report);
    if (!port) return;
    for (const auto& root : ProfileRoots(family)) report.append(SetMozillaProxy(root, *port));
}

void BrowserConfigurator::restoreMozilla(MozillaFamily family, SwitchReport& report) {
    for (const auto& root : ProfileRoots(family)) report.append(RestoreMozillaProxy(root));
}

BrowserConfigurator& RealBrowserConfigurator() {
    static BrowserConfigurator real;
    return real;
}

}  // namespace veilport::browsers
