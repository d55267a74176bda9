#include "platform/inet/InternetNotices.h"

#include "platform/desktop/DesktopProxyMirror.h"
#include "platform/inet/ProxyOptions.h"

namespace veilport::inet {

void NotifySettingsChanged() {}

void NotifyRefresh() {
    desktop::MirrorProxyToDesktop(LoadConnectionOptions(std::nullopt));
}

}  // namespace veilport::inet
