#include "platform/inet/InternetNotices.h"

#include "platform/desktop/DesktopProxyMirror.h"
#include "platform/inet/ProxyOptions.h"

namespace veilport::inet {

void NotifySettingsChanged() {}

std::vector<desktop::MirrorOutcome> NotifyRefresh() {
    return desktop::MirrorProxyToDesktop(LoadConnectionOptions(std::nullopt));
}

}  // namespace veilport::inet
