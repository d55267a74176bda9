#include "platform/desktop/DesktopProxyMirror.h"

#include "platform/desktop/DesktopProxySettings.h"
#include "platform/desktop/GnomeProxy.h"
#include "platform/desktop/KdeProxy.h"

namespace veilport::desktop {

std::vector<MirrorOutcome> mirrorProxyToDesktop(const inet::ProxyOptions& options) {
    const DesktopProxySettings settings = desktopProxyFrom(options);
    std::vector<MirrorOutcome> outcomes;
    if (gnomePresent()) outcomes.push_back({"GNOME proxy settings", applyGnomeProxy(settings)});
    if (kdePresent()) outcomes.push_back({kioslavercPath().string(), applyKdeProxy(settings)});
    return outcomes;
}

}  // namespace veilport::desktop
