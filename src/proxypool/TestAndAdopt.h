#pragma once

// Testing a proxy from any list and adopting it: after a successful test it
// enters the tested list (and MyProxies.txt when it is new there) and, while
// anonymity is on, becomes the Gateway's upstream at once.

#include <string>

#include "platform/secret/PasswordStore.h"
#include "proxypool/GatewayControl.h"
#include "proxypool/PoolUi.h"
#include "proxypool/ProxyTester.h"
#include "proxypool/TestedProxyList.h"

namespace veilport::proxypool {

// Where the proxy to test comes from.
enum class AdoptEntryPoint {
    NewList,         // a double-click in the New list
    Wizard,          // the wizard's apply button
    AddPanel,        // the add panel's apply button (country empty)
    StatusPanelNew,  // a choice in the status page's New drop-down
    TestProxy,       // the tested list's Test Proxy command
};

enum class AdoptOutcome {
    NotAdopted,  // cancelled, or the test failed
    Adopted,
    FileError,  // MyProxies.txt could not be written; the message was shown
};

struct AdoptContext {
    TestedProxyList& tested;
    ProxyTester& dialog;
    GatewayControl& gateway;
    StatusLine& statusLine;
    TestedListMirror& dropDown;
    UserMessages& messages;
    // Where the password of an adopted proxy with a login is kept; without
    // one, a password typed with the proxy is used for this run only.
    secret::PasswordStore* passwords = nullptr;
};

// text: the proxy entry text; country: the text after its first "->"
// (CountryOf; empty from the add panel, column 1 for Test Proxy). The wizard
// calls this only when a purpose box is ticked and its text is not empty.
// password: typed apart from the text (the add panel's masked field); it
// serves an entry with a user name and is kept like one written in the text.
AdoptOutcome TestAndAdopt(const std::string& text, const std::string& country,
                          AdoptEntryPoint entryPoint, AdoptContext& context,
                          const std::string& password = {});

// Test Proxy on row index of the tested list: the row leaves the list (not the
// file) before the test and comes back, at the end, only when the test passes.
AdoptOutcome TestTestedProxy(int index, AdoptContext& context);

}  // namespace veilport::proxypool
