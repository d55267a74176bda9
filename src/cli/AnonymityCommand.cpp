#include "cli/AnonymityCommand.h"

#include <ostream>

#include "cli/RunningVeilport.h"
#include "proxypool/AnonymityStatus.h"
#include "proxypool/ConnectTime.h"
#include "services/Anonymity.h"
#include "services/AnonymityCheck.h"
#include "services/PoolServices.h"

namespace veilport::cli {

namespace {

constexpr int kExitNotRunning = 1;

// Each line checked, held or not and why; the whole holds only when every line does.
int Check(std::ostream& out) {
    const auto lines = services::CheckAnonymity(proxypool::RealConnectMeasure());
    for (const auto& line : lines) out << services::CheckLineText(line) << '\n';
    return services::AllHeld(lines) ? kExitOk : kExitFailed;
}

int Run(Args args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 ||
        (args[0] != "on" && args[0] != "off" && args[0] != "status" && args[0] != "check"))
        return UsageError(err, "anonymity expects on, off, status or check");
    const std::string_view what = args[0];
    if (what == "check") return Check(out);
    if (const auto window = FindRunningVeilport(err)) {
        using process::WindowMessage;
        const WindowMessage message = what == "on"    ? WindowMessage::AnonymityOn
                                      : what == "off" ? WindowMessage::AnonymityOff
                                                      : WindowMessage::AnonymityStatus;
        return HandOver(*window, {message, {}}, out, err);
    }

    // No Veilport: nobody runs a Gateway, so nobody may be pointed at one.
    if (what == "status") {
        out << proxypool::AnonymityStatusText(false) << "Veilport: not running\n";
        return kExitOk;
    }
    if (what == "on") {
        err << "veilportctl: Veilport is not running; start it to enable Online Anonymity "
               "(nothing was changed)\n";
        return kExitNotRunning;
    }
    // Left over from a program that ended without switching back: the
    // machine may still point at a Gateway nobody runs, so undo it.
    auto pool = services::MakePoolServices();
    services::Anonymity anonymity(*pool.gateway, *pool.connection);
    if (anonymity.mayPointAtGateway()) {
        const auto outcome = anonymity.switchOff();
        for (const auto& target : outcome.report.failures())
            err << "veilportctl: " << target.name << ": " << target.reason << '\n';
        if (!outcome.report.allDone()) {
            err << "veilportctl: not everything could be switched back to direct access\n";
            return kExitFailed;
        }
        out << "Veilport is not running; the proxy settings were switched back to direct\n";
    } else {
        out << "Online Anonymity: Disabled\n";
    }
    return kExitOk;
}

}  // namespace

Command AnonymityCommand() {
    return {"anonymity",
            "  anonymity on|off|status|check   switch Online Anonymity in the running Veilport,\n"
            "    or show its state, upstream proxy, local port and whether the Gateway listens.\n"
            "    check tests that anonymity holds: the Gateway listens on LocalPort, the system\n"
            "    proxy, the desktop and every switched browser file name that port, and the\n"
            "    upstream proxy answers; one line each, exit 0 when all hold, else 3.\n"
            "    Without a running Veilport, on changes nothing (exit 1) and off only switches\n"
            "    settings left pointing at a stopped Gateway back to direct.",
            &Run};
}

}  // namespace veilport::cli
