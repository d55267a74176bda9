#include "browsers/BrowserConfigurator.h"

#include "browsers/MozillaProxy.h"
#include "browsers/OperaProxy.h"
#include "browsers/SystemProxy.h"

namespace veilport::browsers {

bool BrowserConfigurator::setSystemProxy(std::string_view server) {
    return SetSystemProxy(server);
}

bool BrowserConfigurator::clearSystemProxy() {
    return ClearSystemProxy();
}

void BrowserConfigurator::setOperaFile(OperaFile file) {
    SetOperaFile(file);
}

void BrowserConfigurator::restoreOperaFile(OperaFile file) {
    RestoreOperaFile(file);
}

void BrowserConfigurator::setMozilla(MozillaFamily family) {
    for (const auto& root : ProfileRoots(family)) SetMozillaProxy(root);
}

void BrowserConfigurator::restoreMozilla(MozillaFamily family) {
    for (const auto& root : ProfileRoots(family)) RestoreMozillaProxy(root);
}

BrowserConfigurator& RealBrowserConfigurator() {
    static BrowserConfigurator real;
    return real;
}

}  // namespace veilport::browsers
