#pragma once

#include <QString>
#include <string_view>

#include "app/pagekit/PageId.h"
#include "proxypool/PoolUi.h"
#include "services/Anonymity.h"

namespace veilport::app {

class PoolModel;

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

    // Online Anonymity: switching it, and its state. Every page and the
    // window reach the same one.
    virtual services::Anonymity& anonymity() = 0;
    // The computer's own address, found once, or "Unkwon IP".
    virtual QString realIp() = 0;

    // The pool's lists, their change signal and the services behind its flows.
    virtual PoolModel& pool() = 0;

    // The program's modal messages.
    virtual proxypool::UserMessages& messages() = 0;

    // A page of the vendor's site (a path such as "/tips.html"); without a
    // vendor site, the matching page of the program's help.
    virtual void openWebPage(std::string_view path) = 0;
};

}  // namespace veilport::app
