#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "browsers/SwitchReport.h"
#include "proxypool/GatewayControl.h"
#include "proxypool/ProxySwitch.h"

namespace veilport::services {

// What one change of Online Anonymity did, for whoever asked to show.
struct AnonymityOutcome {
    enum class Result {
        Enabled,   // the machine points at the Gateway, which was started
        Disabled,  // the machine is direct and the Gateway stopped
        NoProxy,   // asked on without a chosen proxy: everything was switched off
        Refused,   // asked on with a proxy the Gateway cannot use: everything off
    };
    Result result = Result::Disabled;
    // The fixed message the user must see, empty when there is none.
    std::string message;
    // What the switch did to each target (system proxy, desktop, each browser
    // file); its failures must reach the user too.
    browsers::SwitchReport report;
    // Whether the Gateway runs once the change is made.
    bool gatewayRunning = false;

    bool enabled() const { return result == Result::Enabled; }
};

// The Online Anonymity use case, for the window and the command line alike:
// switching on with the chosen proxy (ProxyName), switching off, bringing the
// machine and the Gateway in line with the stored state, and the reset of a
// new session. It is the one place that changes UseProxy. Not thread-safe:
// one owner (the window thread, or the command line's one thread) calls it.
class Anonymity {
public:
    Anonymity(proxypool::GatewayControl& gateway, proxypool::ProxySwitch& connection)
        : gateway_(gateway), connection_(connection) {}

    // UseProxy becomes 1, then the stored state is applied.
    [[nodiscard]] AnonymityOutcome switchOn();
    // UseProxy becomes 0, then the stored state is applied.
    [[nodiscard]] AnonymityOutcome switchOff();
    // The switch's click: on when UseProxy holds 0, else off.
    [[nodiscard]] AnonymityOutcome toggle();
    // Brings the system proxy, the flagged browsers and the Gateway in line with
    // UseProxy and ProxyName: on points everything at the Gateway and (re)starts
    // it towards ProxyName's upstream; off, or on without a usable proxy, puts
    // everything back to direct, stores UseProxy 0 and stops the Gateway.
    [[nodiscard]] AnonymityOutcome applyStored();
    // A new session starts with anonymity off. When the last one ended with it
    // on, the machine still points at a Gateway that no longer listens, so the
    // system proxy and the browsers are put back first; otherwise nothing is
    // touched and an absent UseProxy stays absent.
    [[nodiscard]] browsers::SwitchReport resetForNewSession();
    // A new Gateway port (LocalPort). While anonymity is on, the Gateway is
    // started on the new port first, and only once it listens there are
    // LocalPort and every target moved to it. A port it cannot listen on
    // leaves LocalPort and every target as they were, with the Gateway back
    // on the old port, and the outcome says why. While off, only the port is
    // stored; no listener hears of that.
    [[nodiscard]] AnonymityOutcome changePort(std::uint32_t port);

    bool isOn() const;
    // Whether the machine may still point at a Gateway: UseProxy says on, or
    // the switch journal still holds targets not put back. The journal counts
    // on its own because UseProxy may be unreadable (a damaged settings store
    // reads as defaults) after a session that ended with anonymity on.
    bool mayPointAtGateway() const;
    // "Enabled" or "Disabled", as the status page and veilportctl show it.
    std::string stateWord() const;
    bool gatewayRunning() const { return gateway_.isRunning(); }

    using Listener = std::function<void(const AnonymityOutcome&)>;
    // Called with the outcome of every change made here, on the caller's
    // thread, before the change returns: views follow the state, and the
    // window shows the outcome's message and failures whoever asked.
    void onChanged(Listener listener) { listeners_.push_back(std::move(listener)); }

private:
    AnonymityOutcome switchEverythingOff(AnonymityOutcome::Result result, std::string message);
    void changed(const AnonymityOutcome& outcome);

    proxypool::GatewayControl& gateway_;
    proxypool::ProxySwitch& connection_;
    std::vector<Listener> listeners_;
};

}  // namespace veilport::services
