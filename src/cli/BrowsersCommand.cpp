#include "cli/BrowsersCommand.h"

#include <iomanip>
#include <ostream>

#include "browsers/BrowserDetection.h"
#include "platform/desktop/BrowserInstallFacts.h"
#include "settings/DwordSetting.h"

namespace veilport::cli {

namespace {

int Run(Args args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) return UsageError(err, "browsers takes no arguments");
    desktop::recordBrowserInstallations();
    using namespace veilport::browsers;
    out << std::left << std::setw(24) << "browser" << std::setw(12) << "found"
        << "flag\n";
    for (Browser browser : kAllBrowsers) {
        out << std::setw(24) << BrowserLabel(browser) << std::setw(12)
            << (IsBrowserFound(browser) ? "yes" : "no") << DwordSetting(BrowserFlag(browser)).get()
            << '\n';
    }
    out << "Netscape version code: " << NetscapeVersionCode() << '\n';
    return kExitOk;
}

}  // namespace

Command BrowsersCommand() {
    return {"browsers",
            "  browsers                        each browser: found here or not, and its flag\n"
            "                                  (1: pointed at the Gateway while anonymity is on)",
            Run};
}

}  // namespace veilport::cli
