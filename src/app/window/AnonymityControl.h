#pragma once

#include <QString>
#include <string>

namespace veilport::app {

// The status page's operations that other pages and the main window use: the
// anonymity switch and the state it brings the machine to, the computer's
// own address, and the refresh of its two drop-downs.
class AnonymityControl {
public:
    virtual ~AnonymityControl() = default;

    // Brings the system proxy, the flagged browsers and the Gateway in line
    // with UseProxy and ProxyName. False when anonymity was asked for without
    // a proxy (the message was shown and everything is off).
    virtual bool ApplyAnonymity() = 0;

    // The anonymity switch's click: enables when UseProxy is 0, else disables.
    virtual void ToggleAnonymity() = 0;

    // The computer's own address as the status page found it, or "Unkwon IP".
    virtual QString realIp() const = 0;

    // Fills the New and Tested drop-downs again from the pool's lists.
    virtual void refreshLists() = 0;

    // Why the last switch-on was refused ("Port 8080 is in use by another
    // program"); empty when it was not.
    virtual std::string lastProblem() const { return {}; }
};

}  // namespace veilport::app
