#pragma once

#include <QString>

#include "app/window/PageId.h"
#include "proxypool/ConnectionSwitch.h"
#include "proxypool/GatewayControl.h"
#include "proxypool/NewProxyList.h"
#include "proxypool/PoolUi.h"
#include "proxypool/ProxyListService.h"
#include "proxypool/ProxyTesterDialog.h"
#include "proxypool/TestedProxyList.h"

namespace veilport::app {

class AnonymityControl;

// What a page may ask of the main window. The main window implements it; UI
// tests give pages a fake. Everything here runs on the window thread.
class PageHost {
public:
    virtual ~PageHost() = default;

    // The two lines at the bottom of the main window (1013, 1014), set to the
    // text exactly as given.
    virtual void setRealIpLine(const QString& text) = 0;
    virtual void setIpInUseLine(const QString& text) = 0;

    // The main tip window's one line (empty hides nothing, it only clears).
    virtual void setTipText(const QString& text) = 0;

    // Shows the page in the content area with its section's bar in the right
    // state, as a click on its button would.
    virtual void showPage(PageId page) = 0;

    // Escape on a page: hide the window to the tray without the notice.
    virtual void hideToTray() = 0;

    // The status page's operations.
    virtual AnonymityControl& anonymity() = 0;

    // The pool's shared state: the one tested list and the one New list.
    virtual proxypool::TestedProxyList& testedList() = 0;
    virtual proxypool::NewProxyList& newList() = 0;

    // Tells every page that the pool's lists or the proxy in use changed, so
    // each shown list refreshes itself.
    virtual void poolChanged() = 0;

    // The services behind the flows (real ones in the program, fakes in tests).
    virtual proxypool::GatewayControl& gateway() = 0;
    virtual proxypool::ConnectionSwitch& connection() = 0;
    virtual proxypool::UserMessages& messages() = 0;
    virtual proxypool::MainStatusLine& statusLine() = 0;
    virtual proxypool::TestedDropDown& testedDropDown() = 0;
    virtual proxypool::ProxyTesterDialog& testerDialog() = 0;
    // The service-list download (blocking: call it off the window thread).
    virtual const proxypool::HttpGet& httpGet() = 0;
    // Downloads of the proxy list: they go out directly whatever the system
    // proxy says, and switch nothing for it.
    virtual const proxypool::HttpGet& listGet() { return httpGet(); }
};

}  // namespace veilport::app
