#include "platform/desktop/DesktopProxyMirror.h"

#include "platform/desktop/DesktopProxySettings.h"
#include "platform/desktop/GnomeProxy.h"
#include "platform/desktop/KdeProxy.h"

namespace veilport::desktop {

void MirrorProxyToDesktop(const inet::ProxyOptions& options) {
    const DesktopProxySettings settings = DesktopProxyFrom(options);
    if (GnomePresent()) (void)ApplyGnomeProxy(settings);
    if (KdePresent()) (void)ApplyKdeProxy(settings);
}

}  // namespace veilport::desktop
