#include "cli/ProxyCommand.h"

#include <ostream>
#include <string>

#include "browsers/ConnectionSwitch.h"
#include "platform/inet/ProxyOptions.h"
#include "settings/StringSetting.h"

namespace veilport::cli {

namespace {

std::string FlagNames(std::uint32_t flags) {
    std::string names;
    auto add = [&](std::uint32_t bit, const char* name) {
        if ((flags & bit) != 0) names += (names.empty() ? "" : ", ") + std::string(name);
    };
    add(inet::kProxyTypeDirect, "direct");
    add(inet::kProxyTypeProxy, "proxy");
    add(inet::kProxyTypeAutoProxyUrl, "auto-config URL");
    add(inet::kProxyTypeAutoDetect, "auto-detect");
    return names.empty() ? "none" : names;
}

void PrintConnection(std::ostream& out, const std::string& title,
                     const std::optional<std::string>& connection) {
    const auto options = inet::loadConnectionOptions(connection);
    out << title << '\n'
        << "  flags   " << options.flags << " (" << FlagNames(options.flags) << ")\n"
        << "  server  " << options.proxyServer << '\n'
        << "  bypass  " << options.bypassList << '\n';
}

int Show(Args args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) return UsageError(err, "proxy show takes no arguments");
    PrintConnection(out, "LAN", std::nullopt);
    const std::string dialUp = StringSetting(settings::kDefaultInternet).get();
    PrintConnection(out, "Default dial-up connection \"" + dialUp + "\"", dialUp);
    return kExitOk;
}

// A server text is one word of printable characters, such as 127.0.0.1:8080.
bool PlausibleServer(std::string_view text) {
    if (text.empty() || text.size() > 255) return false;
    for (unsigned char c : text)
        if (c <= ' ' || c == 0x7f) return false;
    return true;
}

// Every target that failed, one line each; true when none did.
bool ReportFailures(const browsers::SwitchReport& report, std::ostream& err) {
    for (const auto& target : report.failures())
        err << "veilportctl: " << target.name << ": " << target.reason << '\n';
    return report.allDone();
}

int Set(Args args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || !PlausibleServer(args[0]))
        return UsageError(err, "proxy set expects one SERVER such as 127.0.0.1:8080");
    if (!ReportFailures(browsers::SetConnectionOptions(args[0]), err)) {
        err << "veilportctl: not everything could be pointed at " << args[0] << '\n';
        return kExitFailed;
    }
    out << "system proxy and flagged browsers now use " << args[0] << '\n';
    return kExitOk;
}

int Clear(Args args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) return UsageError(err, "proxy clear takes no arguments");
    if (!ReportFailures(browsers::DisableConnectionProxy(), err)) {
        err << "veilportctl: not everything could be switched back to direct access\n";
        return kExitFailed;
    }
    out << "system proxy and flagged browsers switched back to direct access\n";
    return kExitOk;
}

int Run(Args args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return UsageError(err, "proxy expects show, set or clear");
    const auto verb = args[0];
    const auto rest = args.subspan(1);
    if (verb == "show") return Show(rest, out, err);
    if (verb == "set") return Set(rest, out, err);
    if (verb == "clear") return Clear(rest, out, err);
    return UsageError(
        err, "unknown proxy command '" + std::string(verb) + "'; expected show, set or clear");
}

}  // namespace

Command ProxyCommand() {
    return {"proxy",
            "  proxy show                      stored proxy options of the LAN and of the\n"
            "                                  default dial-up connection\n"
            "  proxy set SERVER                point the system proxy (mirrored into GNOME and\n"
            "                                  KDE) and every flagged browser at SERVER\n"
            "  proxy clear                     switch them all back to direct access\n"
            "    Each target that could not be changed is named on stderr; the others are\n"
            "    changed all the same. Exit 3 when any target failed.",
            Run};
}

}  // namespace veilport::cli
