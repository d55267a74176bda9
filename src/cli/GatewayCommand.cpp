#include "cli/GatewayCommand.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <ostream>
#include <string>
#include <thread>

#include "gateway/Gateway.h"
#include "gateway/GatewaySettings.h"
#include "platform/net/Socket.h"
#include "proxypool/Upstream.h"

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
    bool passwordFromStdin = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view word = args[i];
        const bool hasValue = i + 1 < args.size();
        if (word == "--port" && hasValue) {
            if (!ParsePort(args[++i], settings.localPort))
                return UsageError(err, "--port expects a number from 0 to 65535");
        } else if (word == "--upstream" && hasValue) {
            const auto parsed = proxypool::ParseUpstream(args[++i]);
            if (!parsed) return UsageError(err, parsed.error);
            // A password on the command line is visible to every user of the
            // machine (ps, /proc): refuse it rather than use it.
            if (parsed.upstream->password)
                return UsageError(err,
                                  "a password never goes on the command line: give the user "
                                  "alone and --password-stdin");
            settings.setUpstream(*parsed.upstream);
        } else if (word == "--listen" && hasValue) {
            const std::string address(args[++i]);
            if (!net::parseDottedIpv4(address) ||
                std::count(address.begin(), address.end(), '.') != 3)
                return UsageError(err,
                                  "--listen expects an IPv4 address such as 127.0.0.1 or 0.0.0.0");
            settings.listenAddress = address;
        } else if (word == "--password-stdin") {
            passwordFromStdin = true;
        } else {
            return UsageError(err,
                              "gateway takes only --port N, --upstream PROXY, --listen ADDRESS "
                              "and --password-stdin");
        }
    }
    if (!settings.hasUpstream()) {
        err << "veilportctl: no upstream proxy is known: choose one in Veilport (ProxyName) "
               "or pass --upstream PROXY\n";
        return kExitNotFound;
    }
    if (passwordFromStdin) {
        if (!settings.user)
            return UsageError(err, "--password-stdin needs an upstream with a user name");
        std::string password;
        std::getline(std::cin, password);
        if (!password.empty() && password.back() == '\r') password.pop_back();
        settings.password = std::move(password);
    }

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    Gateway& gateway = Gateway::instance();
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
    out << "Gateway listening on " << settings.listenAddress << ':' << outcome.port << ", upstream "
        << settings.upstreamText() << std::endl;

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
            "  gateway [--port N] [--upstream PROXY] [--listen ADDRESS] [--password-stdin]\n"
            "                                  run the Gateway (the local proxy) in the\n"
            "    foreground until SIGINT or SIGTERM; port, upstream and address default to\n"
            "    LocalPort, ProxyName and ListenAddress (127.0.0.1: this machine only;\n"
            "    0.0.0.0 serves the network). PROXY is host:port, http://, socks5:// or\n"
            "    socks5h://[user@]host:port; with --password-stdin the user's password is\n"
            "    read from the first line of standard input, never from the arguments.\n"
            "    Prints one line once it listens (port 0: any free port).\n"
            "    Exit 1 when no upstream is known, 3 when the port cannot be bound.",
            Run};
}

}  // namespace veilport::cli
