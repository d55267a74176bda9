#include "browsers/BrowserConfigurator.h"

#include "browsers/MozillaProxy.h"
#include "browsers/OperaProxy.h"
#include "browsers/SystemProxy.h"

namespace veilport::browsers {

bool BrowserConfigurator::setSystemProxy(std::string_view server, SwitchReport& report) {
    return SetSystemProxy(server, report);
}

bool BrowserConfigurator::clearSystemProxy(SwitchReport& report) {
    return ClearSystemProxy(report);
}

void BrowserConfigurator::setOperaFile(OperaFile file, SwitchReport& report) {
    report.append(SetOperaFile(file));
}

void BrowserConfigurator::restoreOperaFile(OperaFile file, SwitchReport& report) {
    report.append(RestoreOperaFile(file));
}

void BrowserConfigurator::setMozilla(MozillaFamily family, SwitchReport& report) {
    for (const auto& root : ProfileRoots(family)) report.append(SetMozillaProxy(root));
}

void BrowserConfigurator::restoreMozilla(MozillaFamily family, SwitchReport& report) {
    for (const auto& root : ProfileRoots(family)) report.append(RestoreMozillaProxy(root));
}

BrowserConfigurator& RealBrowserConfigurator() {
    static BrowserConfigurator real;
    return real;
}

}  // namespace veilport::browsers
