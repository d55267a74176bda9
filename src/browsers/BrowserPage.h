#pragma once

#include <array>
#include <functional>

#include "browsers/BrowserConfigurator.h"
#include "browsers/BrowserDetection.h"

namespace veilport {
class RegistryKey;
}

namespace veilport::browsers {

// The logic of the browser page, without its widgets: one member per check
// box, which boxes are enabled, the coupling between boxes and the apply
// button. The page copies its boxes into the members before OnBoxClicked and
// ApplyBrowserPage, and shows the members (ticked, enabled) after each call.
class BrowserPage {
public:
    explicit BrowserPage(BrowserConfigurator& steps = RealBrowserConfigurator()) : steps_(steps) {}

    // Ticks each box whose flag is set (not 0) and, except for Internet
    // Explorer, whose browser is found; all cleared when Software\Veilport does
    // not exist. Enables a box only when its browser is found. Detection reads
    // the installation facts that desktop::recordBrowserInstallations() writes;
    // the program records them once when it starts.
    void LoadBrowserPage();

    // The coupling after a click on `clicked`: Internet Explorer carries Avant
    // along when Avant is found, Avant always carries Internet Explorer, and
    // Netscape and Mozilla carry each other when the Netscape version code is 6
    // or 14.
    void OnBoxClicked(Browser clicked);

    // Stores the boxes: each browser newly ticked is pointed at the Gateway and
    // flagged, each newly cleared one restored and unflagged (Internet Explorer
    // and Avant only when that agrees with anonymity being on or off); then the
    // page is loaded again and `applyAnonymity` runs, which re-applies the whole
    // anonymity state from the stored flags. The report lists what the page's
    // own steps changed or failed to change (the anonymity step reports its own).
    SwitchReport ApplyBrowserPage(const std::function<void()>& applyAnonymity);

    bool ticked(Browser browser) const { return ticked_[BrowserIndex(browser)]; }
    void setTicked(Browser browser, bool on) { ticked_[BrowserIndex(browser)] = on; }
    bool enabled(Browser browser) const { return enabled_[BrowserIndex(browser)]; }

private:
    void applyOne(Browser browser, bool stored, std::uint32_t useProxy, int netscapeCode,
                  RegistryKey& key, SwitchReport& report);

    BrowserConfigurator& steps_;
    std::array<bool, 6> ticked_{};
    std::array<bool, 6> enabled_{};
};

}  // namespace veilport::browsers
