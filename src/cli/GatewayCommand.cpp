#include "cli/GatewayCommand.h"

#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <ostream>
#include <string>
#include <thread>

#include "gateway/Gateway.h"
#include "gateway/GatewaySettings.h"
#include "platform/net/Socket.h"

namespace veilport::cli {

namespace {

bool ParsePort(std::string_view text, std::uint16_t& port) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

// Waits for SIGINT or SIGTERM. They are blocked before any thread starts, so
// every thread inherits the mask and the signal comes here instead of killing
// the process in the middle of a relay.
int WaitForStopSignal(const sigset_t& stopSignals) {
    int signal = 0;
    while (sigwait(&stopSignals, &signal) != 0) {
    }
    return signal;
}

int Run(Args args, std::ostream& out, std::ostream& err) {
    GatewaySettings settings = GatewaySettings::fromStore();
    GatewayOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view word = args[i];
        const bool hasValue = i + 1 < args.size();
        if (word == "--port" && hasValue) {
            if (!ParsePort(args[++i], settings.localPort))
                return UsageError(err, "--port expects a number from 0 to 65535");
        } else if (word == "--upstream" && hasValue) {
            const auto upstream = GatewaySettings::upstreamOf(args[++i]);
            if (!upstream)
                return UsageError(err, "--upstream expects HOST:PORT, such as 10.0.0.2:3128");
            settings.upstreamHost = upstream->host;
            settings.upstreamPort = upstream->port;
        } else if (word == "--thread-idle-ms" && hasValue) {
            unsigned milliseconds = 0;
            const std::string_view text = args[++i];
            const auto [end, ec] =
                std::from_chars(text.data(), text.data() + text.size(), milliseconds);
            if (ec != std::errc{} || end != text.data() + text.size())
                return UsageError(err, "--thread-idle-ms expects a number of milliseconds");
            options.parking.idle = std::chrono::milliseconds(milliseconds);
        } else {
            return UsageError(err,
                              "gateway takes only --port N, --upstream HOST:PORT and "
                              "--thread-idle-ms N");
        }
    }
    if (!settings.hasUpstream()) {
        err << "veilportctl: no upstream proxy is known: choose one in Veilport (ProxyName) "
               "or pass --upstream HOST:PORT\n";
        return kExitNotFound;
    }

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    // A Gateway of this command's own, since it may be told how long idle
    // threads wait; the process serves nothing else.
    Gateway gateway(options);
    if (!gateway.start(settings)) {
        err << "veilportctl: Cannot Start Proxy! (no thread for the listener)\n";
        return kExitFailed;
    }
    const auto outcome = gateway.waitUntilSettled(std::chrono::seconds(10));
    if (outcome.state != Listener::State::Listening) {
        err << "veilportctl: cannot listen on port " << settings.localPort << ": "
            << (outcome.error != 0 ? net::errorText(outcome.error) : "the listener did not start")
            << '\n';
        gateway.stop();
        return kExitFailed;
    }
    out << "Gateway listening on 0.0.0.0:" << outcome.port << ", upstream " << settings.upstreamHost
        << ':' << settings.upstreamPort << std::endl;

    const int signal = WaitForStopSignal(stopSignals);
    gateway.stop();
    // Give requests in flight a moment to finish; connection threads are never
    // waited for longer than that.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (gateway.activeConnections() > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    out << "Gateway stopped (" << (signal == SIGINT ? "SIGINT" : "SIGTERM") << ")" << std::endl;
    std::fflush(nullptr);
    // Connection threads still running must not meet the static objects being
    // torn down, so leave without running destructors.
    std::_Exit(kExitOk);
}

}  // namespace

Command GatewayCommand() {
    return {"gateway",
            "  gateway [--port N] [--upstream HOST:PORT] [--thread-idle-ms N]\n"
            "                                  run the Gateway (the local proxy) in the\n"
            "    foreground until SIGINT or SIGTERM; port and upstream default to LocalPort\n"
            "    and ProxyName. Prints one line once it listens (port 0: any free port).\n"
            "    Threads that served a connection wait N ms for the next (default 30000).\n"
            "    Exit 1 when no upstream is known, 3 when the port cannot be bound.",
            Run};
}

}  // namespace veilport::cli
