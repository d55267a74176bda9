#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "proxypool/ListedProxy.h"
#include "proxypool/ProxyJudge.h"

namespace veilport::cli {

// The proxy a command-line text names: any list form ("ip:port",
// "scheme://user@host:port", "host:port:user:password") or the program's own
// entry text ("ip:port->Country"), split as the tested list splits it.
proxypool::ListedProxy ProxyFromText(std::string_view text);

// One line for a checked proxy: text, works, level, exit, country, HTTPS, ms.
void PrintCheckLine(std::ostream& out, const proxypool::ListedProxy& proxy,
                    const proxypool::ProxyCheck& check);

}  // namespace veilport::cli
