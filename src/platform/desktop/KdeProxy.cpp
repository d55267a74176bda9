#include "platform/desktop/KdeProxy.h"

#include <optional>
#include <string>
#include <system_error>

#include "platform/desktop/DesktopPaths.h"
#include "platform/desktop/PrivateProfile.h"
#include "platform/io/AtomicFile.h"

namespace veilport::desktop {

namespace {

constexpr const char* kGroup = "Proxy Settings";

// The form KDE's own proxy settings module writes.
std::string KdeProxyText(const std::optional<ProxyEndpoint>& endpoint) {
    return endpoint ? "http://" + endpoint->host + " " + std::to_string(endpoint->port) : "";
}

}  // namespace

std::filesystem::path kioslavercPath() {
    return configHome() / "kioslaverc";
}

bool kdePresent() {
    std::error_code ec;
    return std::filesystem::exists(kioslavercPath(), ec) ||
           std::filesystem::exists(configHome() / "kdeglobals", ec);
}

std::optional<std::string> KdeProxyFileText(const std::string& text,
                                            const DesktopProxySettings& settings) {
    // All entries go into one new text so the file is replaced once.
    std::string noProxy;
    for (const auto& host : settings.ignoreHosts) noProxy += (noProxy.empty() ? "" : ",") + host;
    std::optional<std::string> updated = text;
    auto put = [&updated](const char* key, const std::string& value) {
        if (updated) updated = WriteProfileString(*updated, kGroup, key, value);
    };
    if (settings.manual()) {
        put("httpProxy", KdeProxyText(settings.http));
        put("httpsProxy", KdeProxyText(settings.https));
        put("ftpProxy", KdeProxyText(settings.ftp));
        put("NoProxyFor", noProxy);
        put("ProxyType", "1");
    } else {
        put("ProxyType", "0");
    }
    return updated;
}

bool applyKdeProxy(const DesktopProxySettings& settings) {
    const auto file = kioslavercPath();
    std::optional<std::string> text;
    std::error_code ec;
    if (std::filesystem::exists(file, ec))
        text = io::readWholeFile(file);
    else if (!ec)
        text = std::string();
    if (!text) return false;

    const auto updated = KdeProxyFileText(*text, settings);
    if (!updated) return false;
    return *updated == *text || io::replaceFileAtomically(file, *updated);
}

}  // namespace veilport::desktop
