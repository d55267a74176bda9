#include "browsers/BrowserPage.h"

#include "settings/AnonymityFlag.h"
#include "settings/DwordSetting.h"
#include "settings/RegistryKey.h"
#include "settings/SettingPath.h"

namespace veilport::browsers {

namespace {

// The address Internet Explorer and Avant are pointed at from this page: the
// Gateway's own port, never a fixed one another program might be listening on.
std::string PageServer() {
    return "127.0.0.1:" + std::to_string(DwordSetting(settings::kLocalPort).get());
}

constexpr Browser kApplyOrder[] = {Browser::InternetExplorer, Browser::Netscape, Browser::Firefox,
                                   Browser::Mozilla,          Browser::Opera,    Browser::Avant};

constexpr OperaFile kOperaOrder[] = {OperaFile::ProgramOpera6, OperaFile::ProfileOpera6,
                                     OperaFile::ProgramOperaDef6};

std::string FlagName(Browser browser) {
    return SettingPath::split(BrowserFlag(browser).path).valueName;
}

// The page counts any value but 0 as set; an absent or non-DWORD flag is 0.
bool FlagStored(RegistryKey& key, Browser browser) {
    std::uint32_t value = 0;
    return key.getDword(FlagName(browser), value) == registry::kSuccess && value != 0;
}

void WriteFlag(RegistryKey& key, Browser browser, std::uint32_t value) {
    (void)key.setDword(FlagName(browser), value);
}

bool EditsNetscapeProfiles(int code) {
    return code == 8 || code == 14;
}
bool CouplesNetscapeAndMozilla(int code) {
    return code == 6 || code == 14;
}

}  // namespace

void BrowserPage::LoadBrowserPage() {
    RegistryKey key(registry::Root::LocalMachine, settings::kProgramKey);
    const bool programKey = key.existsElseRemove();
    for (Browser browser : kAllBrowsers) {
        const bool found = IsBrowserFound(browser);
        const bool stored = programKey && FlagStored(key, browser);
        ticked_[BrowserIndex(browser)] = stored && (browser == Browser::InternetExplorer || found);
        enabled_[BrowserIndex(browser)] = found;
    }
    key.closeKey();
}

void BrowserPage::OnBoxClicked(Browser clicked) {
    switch (clicked) {
        case Browser::InternetExplorer:
            if (IsBrowserFound(Browser::Avant))
                setTicked(Browser::Avant, ticked(Browser::InternetExplorer));
            return;
        case Browser::Avant:
            setTicked(Browser::InternetExplorer, ticked(Browser::Avant));
            return;
        case Browser::Netscape:
            if (CouplesNetscapeAndMozilla(NetscapeVersionCode()))
                setTicked(Browser::Mozilla, ticked(Browser::Netscape));
            return;
        case Browser::Mozilla:
            if (CouplesNetscapeAndMozilla(NetscapeVersionCode()))
                setTicked(Browser::Netscape, ticked(Browser::Mozilla));
            return;
        case Browser::Opera:
        case Browser::Firefox:
            return;
    }
}

void BrowserPage::applyOne(Browser browser, bool stored, std::uint32_t useProxy, int netscapeCode,
                           RegistryKey& key, SwitchReport& report) {
    const bool box = ticked(browser);
    const bool found = IsBrowserFound(browser);
    const bool clearing = stored && !box;
    const bool setting = !stored && box;
    switch (browser) {
        case Browser::InternetExplorer:
        case Browser::Avant:
            if (!found) {
                WriteFlag(key, browser, 0);
            } else if (clearing && useProxy == 0) {
                (void)steps_.clearSystemProxy(report);
                WriteFlag(key, browser, 0);
            } else if (setting && useProxy == 1) {
                (void)steps_.setSystemProxy(PageServer(), report);
                WriteFlag(key, browser, 1);
            }
            return;
        case Browser::Netscape:
            // Unlike the other browsers, an uninstalled Netscape keeps its flag
            // as stored; only a change of its box is acted on.
            if (!found || !(clearing || setting)) return;
            if (EditsNetscapeProfiles(netscapeCode)) {
                if (clearing)
                    steps_.restoreMozilla(MozillaFamily::Netscape, report);
                else
                    steps_.setMozilla(MozillaFamily::Netscape, report);
            }
            WriteFlag(key, browser, setting ? 1 : 0);
            return;
        case Browser::Firefox:
        case Browser::Mozilla: {
            const MozillaFamily family =
                browser == Browser::Firefox ? MozillaFamily::Firefox : MozillaFamily::Mozilla;
            if (!found) {
                WriteFlag(key, browser, 0);
            } else if (clearing) {
                steps_.restoreMozilla(family, report);
                WriteFlag(key, browser, 0);
            } else if (setting) {
                steps_.setMozilla(family, report);
                WriteFlag(key, browser, 1);
            }
            return;
        }
        case Browser::Opera:
            if (!found) {
                WriteFlag(key, browser, 0);
            } else if (clearing) {
                for (OperaFile file : kOperaOrder) steps_.restoreOperaFile(file, report);
                WriteFlag(key, browser, 0);
            } else if (setting) {
                for (OperaFile file : kOperaOrder) steps_.setOperaFile(file, report);
                WriteFlag(key, browser, 1);
            }
            return;
    }
}

SwitchReport BrowserPage::ApplyBrowserPage(const std::function<void()>& applyAnonymity) {
    SwitchReport report;
    const std::uint32_t useProxy = AnonymityFlag::isOn() ? 1 : 0;
    RegistryKey key(registry::Root::LocalMachine, settings::kProgramKey);
    if (key.existsElseRemove()) {
        const int netscapeCode = NetscapeVersionCode();
        for (Browser browser : kApplyOrder)
            applyOne(browser, FlagStored(key, browser), useProxy, netscapeCode, key, report);
        key.closeKey();
    }
    LoadBrowserPage();
    if (applyAnonymity) applyAnonymity();
    return report;
}

}  // namespace veilport::browsers
