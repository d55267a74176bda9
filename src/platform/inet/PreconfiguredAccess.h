#pragma once

#include "platform/inet/HttpDownload.h"

namespace veilport::inet {

// "Pre-configured access": the LAN connection's stored proxy options, as a
// download takes them. The stored bypass word "local" means what "<local>"
// means to a download: host names without a dot.
InternetAccess preconfiguredAccess();

}  // namespace veilport::inet
