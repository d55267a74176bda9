#include "platform/desktop/DesktopProxySettings.h"

#include <algorithm>
#include <charconv>

#include "platform/text/Ascii.h"

namespace veilport::desktop {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

std::vector<std::string_view> Split(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> parts;
    while (!text.empty()) {
        const auto end = text.find_first_of(separators);
        if (end != 0) parts.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return parts;
}

bool IsIpv4(std::string_view text) {
    const auto parts = Split(text, ".");
    if (parts.size() != 4 || text.front() == '.' || text.back() == '.' ||
        text.find("..") != std::string_view::npos)
        return false;
    for (auto part : parts) {
        if (part.size() > 3 || !std::all_of(part.begin(), part.end(), IsDigit)) return false;
        // A leading zero reads as octal to some resolvers: refuse the ambiguity.
        if (part.size() > 1 && part.front() == '0') return false;
        int value = 0;
        std::from_chars(part.data(), part.data() + part.size(), value);
        if (value > 255) return false;
    }
    return true;
}

std::string_view FirstLine(std::string_view text) {
    return text.substr(0, text.find_first_of(std::string_view("\r\n\0", 3)));
}

}  // namespace

bool isSafeHost(std::string_view host) {
    if (host.empty() || host.size() > 253) return false;
    const bool numeric =
        std::all_of(host.begin(), host.end(), [](char c) { return IsDigit(c) || c == '.'; });
    if (numeric) return IsIpv4(host);
    if (host.front() == '.' || host.back() == '.' || host.find("..") != std::string_view::npos)
        return false;
    for (auto label : Split(host, ".")) {
        if (label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
        for (char c : label)
            if (!IsAlpha(c) && !IsDigit(c) && c != '-') return false;
    }
    return true;
}

std::optional<ProxyEndpoint> parseLeadingEndpoint(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    if (text::asciiLowered(text.substr(0, 7)) == "http://") text.remove_prefix(7);
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view host = text.substr(0, colon);
    if (!isSafeHost(host)) return std::nullopt;
    std::string_view rest = text.substr(colon + 1);
    std::size_t digits = 0;
    while (digits < rest.size() && IsDigit(rest[digits])) ++digits;
    if (digits == 0 || digits > 5) return std::nullopt;
    unsigned port = 0;
    std::from_chars(rest.data(), rest.data() + digits, port);
    if (port < 1 || port > 65535) return std::nullopt;
    rest.remove_prefix(digits);
    const bool ended =
        rest.empty() || IsSpace(rest.front()) || rest.front() == ';' || rest.substr(0, 2) == "->";
    if (!ended) return std::nullopt;
    return ProxyEndpoint{std::string(host), static_cast<std::uint16_t>(port)};
}

std::vector<std::string> ignoreHostsFrom(std::string_view bypassList) {
    std::vector<std::string> hosts;
    auto add = [&hosts](std::string host) {
        if (std::find(hosts.begin(), hosts.end(), host) == hosts.end())
            hosts.push_back(std::move(host));
    };
    for (auto entry : Split(FirstLine(bypassList), "; ,\t")) {
        const std::string lower = text::asciiLowered(entry);
        if (lower == "local" || lower == "<local>") {
            add("localhost");
            add("127.0.0.0/8");
            add("::1");
            continue;
        }
        // "*.example.org", "10.0.0.0/8", "example.org".
        std::string_view host = lower;
        if (host.substr(0, 2) == "*.") host.remove_prefix(2);
        std::string_view prefix;
        if (const auto slash = host.find('/'); slash != std::string_view::npos) {
            prefix = host.substr(slash + 1);
            host = host.substr(0, slash);
            if (prefix.empty() || prefix.size() > 2 ||
                !std::all_of(prefix.begin(), prefix.end(), IsDigit) || !IsIpv4(host))
                continue;
        }
        if (isSafeHost(host)) add(lower);
    }
    return hosts;
}

DesktopProxySettings desktopProxyFrom(const inet::ProxyOptions& options) {
    DesktopProxySettings settings;
    if ((options.flags & inet::kProxyTypeProxy) == 0) return settings;
    const std::string_view server = FirstLine(options.proxyServer);
    if (server.find('=') == std::string_view::npos) {
        if (auto endpoint = parseLeadingEndpoint(server)) {
            settings.http = settings.https = settings.ftp = std::move(endpoint);
        }
    } else {
        for (auto part : Split(server, "; \t")) {
            const auto equals = part.find('=');
            if (equals == std::string_view::npos) continue;
            const std::string protocol = text::asciiLowered(part.substr(0, equals));
            auto endpoint = parseLeadingEndpoint(part.substr(equals + 1));
            if (!endpoint) continue;
            if (protocol == "http" && !settings.http) settings.http = endpoint;
            if (protocol == "https" && !settings.https) settings.https = endpoint;
            if (protocol == "ftp" && !settings.ftp) settings.ftp = endpoint;
        }
    }
    if (settings.manual()) settings.ignoreHosts = ignoreHostsFrom(options.bypassList);
    return settings;
}

}  // namespace veilport::desktop
