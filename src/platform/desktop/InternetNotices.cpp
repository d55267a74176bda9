#include "platform/desktop/InternetNotices.h"

#include "platform/desktop/DesktopProxyMirror.h"
#include "platform/inet/ProxyOptions.h"

namespace veilport::desktop {

void notifySettingsChanged() {}

std::vector<desktop::MirrorOutcome> notifyRefresh() {
    return desktop::mirrorProxyToDesktop(inet::loadConnectionOptions(std::nullopt));
}

}  // namespace veilport::desktop
