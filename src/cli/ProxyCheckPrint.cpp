#include "cli/ProxyCheckPrint.h"

#include <ostream>

#include "proxypool/CheckRows.h"
#include "proxypool/Upstream.h"

namespace veilport::cli {

std::optional<proxypool::ListedProxy> ProxyFromText(std::string_view text, std::string& error) {
    auto parsed = proxypool::ParseUpstream(text);
    if (!parsed) {
        error = parsed.error;
        return std::nullopt;
    }
    return proxypool::FromUpstream(*parsed.upstream);
}

void PrintCheckLine(std::ostream& out, const proxypool::ListedProxy& proxy,
                    const proxypool::ProxyCheck& check) {
    using namespace proxypool;
    out << proxy.text() << '\t';
    if (!check.works) {
        out << "dead\t" << check.failure << '\n';
        return;
    }
    if (!check.judgeReachable) {
        out << "connects\t" << check.connectMs << " ms\t" << kNoJudge << '\n';
        return;
    }
    out << "works\t" << LevelText(check.level) << '\t' << check.exitAddress << '\t' << check.country
        << "\tHTTPS " << HttpsText(check.https) << '\t' << check.latencyMs << " ms\n";
}

}  // namespace veilport::cli
