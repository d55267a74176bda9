#include "browsers/StartupOptions.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>

#include "platform/desktop/AutostartEntry.h"
#include "platform/io/UniqueFd.h"
#include "platform/net/Socket.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::browsers {

namespace {

constexpr std::uint32_t kHighestPort = 65535;
constexpr std::chrono::milliseconds kProbeTimeout{2000};

}  // namespace

StartupOptions LoadStartupOptions() {
    StartupOptions options;
    options.runAtStartup = DwordSetting(settings::kRunAtStartup).get() == 1;
    options.portText = std::to_string(static_cast<int>(DwordSetting(settings::kLocalPort).get()));
    return options;
}

std::optional<std::uint32_t> LeadingPortNumber(std::string_view text) {
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    std::uint64_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
        if (number > UINT32_MAX) number = UINT32_MAX;
    }
    return static_cast<std::uint32_t>(number);
}

bool PortInTestRange(std::string_view text) {
    const std::uint32_t port = LeadingPortNumber(text).value_or(0);
    return port > 1024 && port < 65000;
}

StartupSaveResult SaveStartupOptions(const StartupOptions& options) {
    StartupSaveResult result;
    DwordSetting runAtStartup(settings::kRunAtStartup);
    StringSetting runEntry(settings::kRunEntry);
    if (options.runAtStartup) {
        runAtStartup.set(1);
        runEntry.set(StringSetting(settings::kAppFullPath).get());
    } else {
        runAtStartup.set(0);
        // Emptied, not removed; an entry that never existed stays absent.
        runEntry.set(std::string());
    }
    result.autostartMirrored = desktop::mirrorRunEntry(StringSetting(settings::kRunEntry).get());

    // A text that is no number, or a number no port can have, would leave the
    // Gateway listening on a port nobody chose: it is refused and the stored
    // port stays in force.
    const auto port = LeadingPortNumber(options.portText);
    if (!port || *port == 0 || *port > kHighestPort) {
        result.portStored = false;
        return result;
    }
    DwordSetting localPort(settings::kLocalPort);
    localPort.set(*port);
    return result;
}

PortProbe ProbeLocalPort(int port) {
    in_addr address{};
    if (auto resolved = net::resolveIpv4("localhost"); resolved.ok())
        address = resolved.value;
    else
        address.s_addr = htonl(INADDR_LOOPBACK);
    // Make sure a socket can be had at all before reading a failed connect as
    // a free port.
    {
        net::UniqueFd probe(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!probe) return PortProbe::NoSocket;
    }
    if (port < 1 || port > 65535) return PortProbe::Free;
    const auto connection =
        net::connectTcp(address, static_cast<std::uint16_t>(port), kProbeTimeout);
    return connection.ok() ? PortProbe::InUse : PortProbe::Free;
}

}  // namespace veilport::browsers
