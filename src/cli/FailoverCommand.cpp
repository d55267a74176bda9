#include "cli/FailoverCommand.h"

#include <ostream>

#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"

namespace veilport::cli {

namespace {

int Run(Args args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off" && args[0] != "show"))
        return UsageError(err, "failover expects on, off or show");
    const std::uint32_t wanted = args[0] == "on" ? 1 : 0;
    if (args[0] != "show") {
        DwordSetting failover(settings::kFailover);
        failover.set(wanted);
        failover.write();
    }
    const std::uint32_t stored = DwordSetting(settings::kFailover).get();
    out << "failover " << (stored == 1 ? "on" : "off") << '\n';
    if (args[0] != "show" && stored != wanted) {
        err << "veilportctl: the setting Failover could not be written\n";
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

Command FailoverCommand() {
    return {"failover",
            "  failover on|off|show            when the upstream proxy fails twice in a row,\n"
            "    move to the next tested proxy that answers (off by default); read at each\n"
            "    failure, so a running Veilport or `gateway` follows at once.",
            Run};
}

}  // namespace veilport::cli
