#include "browsers/BrowserDetection.h"

#include "browsers/BrowserKeys.h"
#include "settings/RegistryKey.h"
#include "settings/StringSetting.h"

namespace veilport::browsers {

namespace {

bool KeyExists(std::string_view path) {
    RegistryKey key(registry::Root::LocalMachine, path);
    const bool exists = key.existsElseRemove();
    key.closeKey();
    return exists;
}

bool TextNotEmpty(std::string_view path) {
    return !StringSetting(path, "").get().empty();
}

}  // namespace

std::string_view BrowserLabel(Browser browser) {
    switch (browser) {
        case Browser::InternetExplorer:
            // Here the box switches the desktop's proxy settings, which the
            // Chromium family and GNOME Web follow.
            return "Desktop proxy settings";
        case Browser::Netscape:
            return "Netscape";
        case Browser::Opera:
            return "Opera";
        case Browser::Mozilla:
            return "Mozilla (SeaMonkey)";
        case Browser::Firefox:
            return "Firefox";
        case Browser::Avant:
            return "Avant";
    }
    return {};
}

const DwordSpec& BrowserFlag(Browser browser) {
    switch (browser) {
        case Browser::InternetExplorer:
            return settings::kBrowserIE;
        case Browser::Netscape:
            return settings::kBrowserNetscape;
        case Browser::Opera:
            return settings::kBrowserOpera;
        case Browser::Mozilla:
            return settings::kBrowserMozilla;
        case Browser::Firefox:
            return settings::kBrowserFireFox;
        case Browser::Avant:
            return settings::kBrowserAvant;
    }
    return settings::kBrowserIE;
}

std::size_t BrowserIndex(Browser browser) {
    return static_cast<std::size_t>(browser);
}

bool IsBrowserFound(Browser browser) {
    switch (browser) {
        case Browser::InternetExplorer:
            return true;
        case Browser::Netscape:
            return TextNotEmpty(keys::kNetscapeVersion) || TextNotEmpty(keys::kNetscape6Version);
        case Browser::Opera:
            return KeyExists(keys::kOperaUninstall);
        case Browser::Mozilla:
            return KeyExists(keys::kMozilla16Uninstall) || KeyExists(keys::kMozilla171Uninstall);
        case Browser::Firefox:
            return TextNotEmpty(keys::kFirefoxVersion);
        case Browser::Avant:
            return KeyExists(keys::kAvantUninstall);
    }
    return false;
}

int NetscapeVersionCode() {
    int code = 0;
    if (KeyExists(keys::kNetscape623Uninstall)) code += 6;
    if (KeyExists(keys::kNetscapeBrowserUninstall)) code += 8;
    return code;
}

}  // namespace veilport::browsers
