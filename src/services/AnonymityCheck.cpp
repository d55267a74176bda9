#include "services/AnonymityCheck.h"

#include <algorithm>
#include <filesystem>

#include "browsers/FileFinder.h"
#include "browsers/MozillaPrefs.h"
#include "browsers/ProfileRoots.h"
#include "platform/desktop/DesktopProxySettings.h"
#include "platform/desktop/GnomeProxy.h"
#include "platform/desktop/KdeProxy.h"
#include "platform/inet/ProxyOptions.h"
#include "platform/io/AtomicFile.h"
#include "proxypool/ProxyText.h"
#include "settings/AnonymityFlag.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::services {

namespace {

namespace fs = std::filesystem;

CheckLine Line(std::string what, bool held, std::string why) {
    return {std::move(what), held, held ? std::string() : std::move(why)};
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The GNOME keys as CaptureGnomeProxy lists them, "<schema> <key>" to value.
std::string GnomeValue(const std::string& captured, const std::string& name) {
    const auto at = captured.find(name + "\t");
    if (at == std::string::npos) return {};
    const auto start = at + name.size() + 3;
    return captured.substr(start, captured.find('\n', start) - start);
}

void CheckDesktop(std::uint32_t port, std::vector<CheckLine>& lines) {
    const std::string portText = std::to_string(port);
    if (desktop::gnomePresent()) {
        const auto captured = desktop::CaptureGnomeProxy();
        const bool held =
            captured && GnomeValue(*captured, "org.gnome.system.proxy mode") == "'manual'" &&
            GnomeValue(*captured, "org.gnome.system.proxy.http host") == "'127.0.0.1'" &&
            GnomeValue(*captured, "org.gnome.system.proxy.http port") == portText;
        lines.push_back(Line("GNOME proxy settings name 127.0.0.1:" + portText, held,
                             captured ? "they name another proxy or none" : "cannot be read"));
    }
    if (desktop::kdePresent()) {
        const auto text = io::readWholeFile(desktop::kioslavercPath());
        const bool held = text && Contains(*text, "ProxyType=1") &&
                          Contains(*text, "httpProxy=http://127.0.0.1 " + portText);
        lines.push_back(Line(desktop::kioslavercPath().string() + " names 127.0.0.1:" + portText,
                             held, text ? "it names another proxy or none" : "cannot be read"));
    }
}

void CheckBrowserFiles(std::uint32_t port, std::vector<CheckLine>& lines) {
    using browsers::MozillaFamily;
    const std::pair<const DwordSpec*, MozillaFamily> families[] = {
        {&settings::kBrowserNetscape, MozillaFamily::Netscape},
        {&settings::kBrowserMozilla, MozillaFamily::Mozilla},
        {&settings::kBrowserFireFox, MozillaFamily::Firefox}};
    const auto wanted = browsers::PortLine(static_cast<std::uint16_t>(port));
    for (const auto& [flag, family] : families) {
        if (DwordSetting(*flag).get() != 1) continue;
        for (const auto& root : browsers::ProfileRoots(family)) {
            browsers::FileFinder finder;
            finder.SetRoot(root, true);
            finder.Search("prefs.js", true, false);
            for (const auto& file : finder.results()) {
                const auto text = io::readWholeFile(file);
                const bool held = text && Contains(*text, std::string(browsers::kHostLine)) &&
                                  Contains(*text, wanted) &&
                                  Contains(*text, std::string(browsers::kTypeLine));
                lines.push_back(Line(file.string() + " names 127.0.0.1:" + std::to_string(port),
                                     held,
                                     text ? "it names another proxy or port" : "cannot be read"));
            }
        }
    }
}

}  // namespace

std::vector<CheckLine> CheckAnonymity(const proxypool::ConnectMeasure& measure) {
    std::vector<CheckLine> lines;
    const std::uint32_t port = DwordSetting(settings::kLocalPort).get();
    const std::string address = "127.0.0.1:" + std::to_string(port);
    lines.push_back(
        Line("Online Anonymity is enabled", AnonymityFlag::isOn(), "UseProxy is not 1"));
    const bool usable = port >= 1 && port <= 65535;
    lines.push_back(Line("the Gateway listens on " + address,
                         usable && measure && measure("127.0.0.1", static_cast<int>(port)) > 0,
                         usable ? "nothing answers on port " + std::to_string(port)
                                : "LocalPort " + std::to_string(port) + " is no port"));

    const auto lan = inet::loadConnectionOptions(std::nullopt);
    lines.push_back(Line("the system proxy names " + address,
                         lan.usesProxy() && lan.proxyServer == address,
                         lan.usesProxy() ? "it names " + lan.proxyServer : "it is direct"));
    CheckDesktop(port, lines);
    CheckBrowserFiles(port, lines);

    const auto upstream = proxypool::SplitProxyText(StringSetting(settings::kProxyName).get());
    const std::string upstreamText = upstream.host + ":" + std::to_string(upstream.port);
    const bool named = !upstream.host.empty() && proxypool::IsUsablePort(upstream.port);
    lines.push_back(
        Line("the upstream proxy " + (named ? upstreamText : std::string("(none)")) + " answers",
             named && measure && measure(upstream.host, upstream.port) > 0,
             named ? "no connection could be made" : "no upstream proxy is chosen (ProxyName)"));
    return lines;
}

bool AllHeld(const std::vector<CheckLine>& lines) {
    return std::all_of(lines.begin(), lines.end(), [](const CheckLine& line) { return line.held; });
}

std::string CheckLineText(const CheckLine& line) {
    return line.held ? "done    " + line.what : "failed  " + line.what + ": " + line.why;
}

}  // namespace veilport::services
