#include "platform/desktop/InternetNotices.h"

#include "platform/desktop/DesktopProxyMirror.h"
#include "platform/inet/ProxyOptions.h"

namespace veilport::desktop {

void NotifySettingsChanged() {}

std::vector<desktop::MirrorOutcome> NotifyRefresh() {
    return desktop::MirrorProxyToDesktop(inet::LoadConnectionOptions(std::nullopt));
}

}  // namespace veilport::desktop
