#include "app/AppStartup.h"

namespace veilport::app {

Startup BeginStartup(services::Anonymity& anonymity, bool (*canOpenDesktop)(),
                     std::string_view mutexName, std::string_view windowTitle) {
    Startup startup{process::SingleInstance::start(mutexName, windowTitle), false, false, {}};
    if (startup.instance.activatedOther() || !startup.instance.problem().empty()) return startup;
    if (!canOpenDesktop()) {
        startup.noDesktop = true;
        return startup;
    }
    startup.reset = anonymity.resetForNewSession();
    startup.proceed = true;
    return startup;
}

}  // namespace veilport::app
