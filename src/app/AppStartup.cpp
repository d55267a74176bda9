#include "app/AppStartup.h"

namespace veilport::app {

Startup BeginStartup(services::Anonymity& anonymity, std::string_view mutexName,
                     std::string_view windowTitle) {
    Startup startup{process::SingleInstance::start(mutexName, windowTitle), false, {}};
    if (startup.instance.activatedOther()) return startup;
    startup.reset = anonymity.resetForNewSession();
    startup.proceed = true;
    return startup;
}

}  // namespace veilport::app
