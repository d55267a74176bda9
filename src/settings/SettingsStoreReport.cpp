#include "settings/SettingsStoreReport.h"

#include "platform/registry/Registry.h"

namespace veilport {

bool SettingsStoreUsable() {
    return registry::storeProblem().empty();
}

std::string SettingsStoreMessage() {
    const std::string problem = registry::storeProblem();
    if (problem.empty()) return {};
    return "Veilport's settings could not be read: " + registry::storePath().string() + " (" +
           problem + "). Defaults are used; nothing was overwritten.";
}

}  // namespace veilport
