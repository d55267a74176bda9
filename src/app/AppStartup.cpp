#include "app/AppStartup.h"

#include "settings/DwordSetting.h"

namespace veilport::app {

void ResetAnonymityAtStartup(proxypool::ConnectionSwitch& connection) {
    DwordSetting useProxy(settings::kUseProxy);
    if (useProxy.get() == 1) connection.DisableConnectionProxy();
    useProxy.set(0);
}

Startup BeginStartup(proxypool::ConnectionSwitch& connection, std::string_view mutexName,
                     std::string_view windowTitle) {
    Startup startup{process::SingleInstance::start(mutexName, windowTitle), false};
    if (startup.instance.activatedOther() || !startup.instance.problem().empty()) return startup;
    ResetAnonymityAtStartup(connection);
    startup.proceed = true;
    return startup;
}

}  // namespace veilport::app
