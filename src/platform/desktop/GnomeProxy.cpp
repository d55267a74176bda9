#include "platform/desktop/GnomeProxy.h"

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
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

// The keys applyGnomeProxy writes, by schema.
constexpr std::pair<const char*, const char*> kKeys[] = {
    {"org.gnome.system.proxy", "mode"},       {"org.gnome.system.proxy", "ignore-hosts"},
    {"org.gnome.system.proxy.http", "host"},  {"org.gnome.system.proxy.http", "port"},
    {"org.gnome.system.proxy.https", "host"}, {"org.gnome.system.proxy.https", "port"},
    {"org.gnome.system.proxy.ftp", "host"},   {"org.gnome.system.proxy.ftp", "port"},
};

std::optional<std::string> Get(const char* schema, const char* key,
                               const std::vector<std::string>& environment = {}) {
    const auto output =
        RunProgramOutput({"gsettings", "get", schema, key}, kTimeout, environment, 64u << 10);
    if (!output || output->status != 0) return std::nullopt;
    std::string value = output->out;
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
    if (value.find('\n') != std::string::npos) return std::nullopt;
    return value;
}

struct KeyState {
    bool atDefault = false;
    std::string value;
};

// "<schema> <key>" to its state, from a captured text.
std::map<std::string, KeyState> ParseCapture(const std::string& text) {
    std::map<std::string, KeyState> keys;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        const auto tab = line.find('\t');
        if (tab != std::string::npos && line.size() >= tab + 3)
            keys[line.substr(0, tab)] = {line[tab + 1] == 'D', line.substr(tab + 3)};
        start = end + 1;
    }
    return keys;
}

}  // namespace

std::optional<std::string> CaptureGnomeProxy() {
    std::string text;
    for (const auto& [schema, key] : kKeys) {
        const auto value = Get(schema, key);
        // The schema's own default: what a settings store holding nothing says.
        const auto fallback = Get(schema, key, {"GSETTINGS_BACKEND=memory"});
        if (!value) return std::nullopt;
        text += std::string(schema) + " " + key + "\t" + (value == fallback ? "D" : "U") + "\t" +
                *value + "\n";
    }
    return text;
}

bool RestoreGnomeProxy(const std::string& before, const std::string& after,
                       std::vector<std::string>& conflicts) {
    const auto was = ParseCapture(before);
    const auto left = ParseCapture(after);
    const auto captured = CaptureGnomeProxy();
    if (!captured) return false;
    const auto now = ParseCapture(*captured);
    bool ok = true;
    // The mode goes last, as when switching on: no moment with a half-set proxy.
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& [schema, key] : kKeys) {
            const bool mode = std::string_view(key) == "mode";
            if (mode != (pass == 1)) continue;
            const std::string name = std::string(schema) + " " + key;
            const auto then = was.find(name), ours = left.find(name), current = now.find(name);
            if (then == was.end() || current == now.end()) continue;
            if (current->second.value == then->second.value &&
                current->second.atDefault == then->second.atDefault)
                continue;
            if (ours != left.end() && current->second.value != ours->second.value) {
                conflicts.push_back(name);
                continue;
            }
            ok = (then->second.atDefault ? Gsettings({"reset", schema, key})
                                         : Gsettings({"set", schema, key, then->second.value})) &&
                 ok;
        }
    }
    return ok;
}

std::optional<std::filesystem::path> GnomeKeyfile() {
    const char* backend = std::getenv("GSETTINGS_BACKEND");
    if (backend == nullptr || std::string_view(backend) != "keyfile") return std::nullopt;
    return configHome() / "glib-2.0" / "settings" / "keyfile";
}

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
