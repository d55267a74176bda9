#include "platform/desktop/DesktopProxyMirror.h"

#include "platform/desktop/DesktopProxySettings.h"
#include "platform/desktop/GnomeProxy.h"
#include "platform/desktop/KdeProxy.h"

namespace veilport::desktop {

std::vector<MirrorOutcome> MirrorProxyToDesktop(const inet::ProxyOptions& options) {
    const DesktopProxySettings settings = DesktopProxyFrom(options);
    std::vector<MirrorOutcome> outcomes;
    if (GnomePresent()) outcomes.push_back({"GNOME proxy settings", ApplyGnomeProxy(settings)});
    if (KdePresent()) outcomes.push_back({KioslavercPath().string(), ApplyKdeProxy(settings)});
    return outcomes;
}

}  // namespace veilport::desktop
