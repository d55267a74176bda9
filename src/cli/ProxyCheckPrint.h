#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "proxypool/ListedProxy.h"
#include "proxypool/ProxyJudge.h"

namespace veilport::cli {

// The proxy a command-line text names, in any form the upstream parser reads;
// nullopt with the parser's message when it names none.
std::optional<proxypool::ListedProxy> ProxyFromText(std::string_view text, std::string& error);

// One line for a checked proxy: text, works, level, exit, country, HTTPS, ms.
void PrintCheckLine(std::ostream& out, const proxypool::ListedProxy& proxy,
                    const proxypool::ProxyCheck& check);

}  // namespace veilport::cli
