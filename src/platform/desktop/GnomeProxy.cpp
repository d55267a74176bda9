#include "platform/desktop/GnomeProxy.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

#include "platform/desktop/DesktopPaths.h"
#include "platform/desktop/RunProgram.h"

namespace veilport::desktop {

namespace {

constexpr std::chrono::milliseconds kTimeout{5000};
constexpr const char* kSchema = "org.gnome.system.proxy";

bool Gsettings(std::vector<std::string> words) {
    words.insert(words.begin(), "gsettings");
    const auto status = runProgram(words, kTimeout);
    return status && *status == 0;
}

// gsettings reads values as GVariant text. Hosts were checked to hold only
// letters, digits, dots, hyphens, "*", "/" and ":" so quoting cannot be escaped.
std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

bool SetEndpoint(const char* protocol, const ProxyEndpoint& endpoint) {
    const std::string schema = std::string(kSchema) + "." + protocol;
    return Gsettings({"set", schema, "host", Quoted(endpoint.host)}) &&
           Gsettings({"set", schema, "port", std::to_string(endpoint.port)});
}

}  // namespace

bool gnomePresent() {
    if (!findOnPath("gsettings")) return false;
    const char* backend = std::getenv("GSETTINGS_BACKEND");
    const std::string name = backend ? backend : "";
    if (name != "keyfile" && name != "memory") {
        std::error_code ec;
        if (!std::filesystem::exists(configHome() / "dconf" / "user", ec)) return false;
    }
    return Gsettings({"list-keys", kSchema});
}

bool applyGnomeProxy(const DesktopProxySettings& settings) {
    if (!settings.manual()) return Gsettings({"set", kSchema, "mode", "'none'"});
    bool ok = true;
    if (settings.http) ok = SetEndpoint("http", *settings.http) && ok;
    if (settings.https) ok = SetEndpoint("https", *settings.https) && ok;
    if (settings.ftp) ok = SetEndpoint("ftp", *settings.ftp) && ok;
    std::string list = "[";
    for (const auto& host : settings.ignoreHosts)
        list += (list.size() > 1 ? ", " : "") + Quoted(host);
    list += "]";
    ok = Gsettings({"set", kSchema, "ignore-hosts", list}) && ok;
    return Gsettings({"set", kSchema, "mode", "'manual'"}) && ok;
}

}  // namespace veilport::desktop
