#include "proxypool/ListSourceParser.h"

#include <string>
#include <unordered_set>

#include "platform/text/Ascii.h"

namespace veilport::proxypool {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (!IsDigit(c)) return false;
    return true;
}

bool ParsePort(std::string_view text, int& port) {
    if (!AllDigits(text) || text.size() > 5) return false;
    port = std::stoi(std::string(text));
    return port >= 1 && port <= 65535;
}

bool LooksNumeric(std::string_view host) {
    if (host.empty()) return false;
    for (const char c : host)
        if (!IsDigit(c) && c != '.') return false;
    return true;
}

bool ValidIpv4(std::string_view host) {
    int parts = 0;
    while (true) {
        const auto dot = host.find('.');
        const auto part = host.substr(0, dot);
        if (part.empty() || part.size() > 3 || !AllDigits(part) ||
            std::stoi(std::string(part)) > 255)
            return false;
        ++parts;
        if (dot == std::string_view::npos) break;
        host.remove_prefix(dot + 1);
    }
    return parts == 4;
}

// A DNS name with at least one dot (or "localhost"), so that words such as
// "Port" in "Port:80" are not taken for hosts.
bool ValidHostName(std::string_view host) {
    if (host.empty() || host.size() > 253) return false;
    if (text::equalsIgnoringAsciiCase(host, "localhost")) return true;
    if (host.find('.') == std::string_view::npos) return false;
    bool letter = false;
    std::size_t label = 0;
    for (const char c : host) {
        if (c == '.') {
            if (label == 0) return false;
            label = 0;
            continue;
        }
        if (!IsDigit(c) && !IsAlpha(c) && c != '-') return false;
        letter = letter || IsAlpha(c);
        if (++label > 63) return false;
    }
    return label > 0 && letter;
}

bool ValidHost(std::string_view host) {
    return LooksNumeric(host) ? ValidIpv4(host) : ValidHostName(host);
}

enum class TokenKind { Proxy, Invalid, Other };

struct Token {
    TokenKind kind = TokenKind::Other;
    ListedProxy proxy;
};

Token Invalid() {
    return {TokenKind::Invalid, {}};
}

Token WithScheme(std::string_view token, std::size_t separator) {
    ListedProxy proxy;
    proxy.scheme = text::asciiLowered(token.substr(0, separator));
    if (!IsProxyScheme(proxy.scheme)) return Invalid();
    auto rest = token.substr(separator + 3);
    while (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
    if (const auto at = rest.rfind('@'); at != std::string_view::npos) {
        const auto login = rest.substr(0, at);
        const auto colon = login.find(':');
        proxy.user = std::string(login.substr(0, colon));
        if (colon != std::string_view::npos) proxy.password = std::string(login.substr(colon + 1));
        if (proxy.user.empty()) return Invalid();
        rest.remove_prefix(at + 1);
    }
    const auto colon = rest.rfind(':');
    if (colon == std::string_view::npos) return Invalid();
    proxy.host = std::string(rest.substr(0, colon));
    if (!ValidHost(proxy.host) || !ParsePort(rest.substr(colon + 1), proxy.port)) return Invalid();
    return {TokenKind::Proxy, std::move(proxy)};
}

Token Classify(std::string_view token, const std::string& defaultScheme) {
    while (!token.empty() && (token.back() == ',' || token.back() == ';')) token.remove_suffix(1);
    // The program's own entry form, "ip:port->Country".
    token = token.substr(0, token.find("->"));
    if (const auto scheme = token.find("://"); scheme != std::string_view::npos)
        return WithScheme(token, scheme);
    std::string_view fields[4];
    std::size_t count = 0;
    for (std::string_view rest = token;; ++count) {
        if (count == 4) return {};
        const auto colon = rest.find(':');
        fields[count] = rest.substr(0, colon);
        if (colon == std::string_view::npos) {
            ++count;
            break;
        }
        rest.remove_prefix(colon + 1);
    }
    if (count != 2 && count != 4) return {};
    const auto host = fields[0];
    const bool hostLike = LooksNumeric(host) || ValidHostName(host);
    if (!hostLike) return {};
    ListedProxy proxy;
    proxy.scheme = defaultScheme;
    proxy.host = std::string(host);
    if (!AllDigits(fields[1])) return {};
    if (!ValidHost(host) || !ParsePort(fields[1], proxy.port)) return Invalid();
    if (count == 4) {
        if (fields[2].empty()) return Invalid();
        proxy.user = std::string(fields[2]);
        proxy.password = std::string(fields[3]);
    }
    return {TokenKind::Proxy, std::move(proxy)};
}

// A dotted IPv4 address at `i` that is not part of a longer run of digits and
// dots; its length, or 0.
std::size_t Ipv4At(std::string_view text, std::size_t i) {
    if (i > 0 && (IsDigit(text[i - 1]) || text[i - 1] == '.' || IsAlpha(text[i - 1]))) return 0;
    std::size_t end = i;
    while (end < text.size() && (IsDigit(text[end]) || text[end] == '.')) ++end;
    if (end < text.size() && IsAlpha(text[end])) return 0;
    return ValidIpv4(text.substr(i, end - i)) ? end - i : 0;
}

// After an address: blanks, tags and punctuation between it and its port.
std::size_t SkipSeparator(std::string_view text, std::size_t i) {
    constexpr std::size_t kLongest = 256;
    const std::size_t start = i;
    while (i < text.size() && i - start < kLongest) {
        const char c = text[i];
        if (IsSpace(c) || c == ':' || c == ',' || c == '|' || c == ';' || c == '"' || c == '\'') {
            ++i;
        } else if (c == '<') {
            const auto close = text.find('>', i);
            if (close == std::string_view::npos || close - i > kLongest)
                return std::string_view::npos;
            i = close + 1;
        } else {
            break;
        }
    }
    return i;
}

// Addresses with a port found anywhere in text: "1.2.3.4</td><td>8080", "1.2.3.4 8080".
std::vector<ListedProxy> FindEmbedded(std::string_view text, const std::string& scheme) {
    std::vector<ListedProxy> found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsDigit(text[i])) continue;
        const std::size_t length = Ipv4At(text, i);
        if (length == 0) continue;
        const std::size_t portStart = SkipSeparator(text, i + length);
        std::size_t portEnd = portStart;
        while (portEnd < text.size() && IsDigit(text[portEnd])) ++portEnd;
        const bool endsClean =
            portEnd >= text.size() || (text[portEnd] != '.' && !IsAlpha(text[portEnd]));
        ListedProxy proxy;
        if (portStart != std::string_view::npos && portEnd > portStart && endsClean &&
            ParsePort(text.substr(portStart, portEnd - portStart), proxy.port)) {
            proxy.scheme = scheme;
            proxy.host = std::string(text.substr(i, length));
            found.push_back(std::move(proxy));
            i = portEnd;
        } else {
            i += length;
        }
    }
    return found;
}

class Collector {
public:
    explicit Collector(ExtractedProxies& out) : out_(out) {}
    void add(ListedProxy proxy) {
        if (seen_.insert(proxy.key()).second) {
            out_.proxies.push_back(std::move(proxy));
        } else {
            ++out_.duplicates;
        }
    }

private:
    ExtractedProxies& out_;
    std::unordered_set<std::string> seen_;
};

bool IsComment(std::string_view line) {
    return line.starts_with('#') || line.starts_with(';') || line.starts_with("//");
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

ExtractedProxies ExtractProxies(std::string_view text, std::string_view defaultScheme) {
    const std::string scheme =
        IsProxyScheme(std::string(defaultScheme)) ? std::string(defaultScheme) : "http";
    ExtractedProxies out;
    Collector collector(out);
    // Lines that held no entry of their own; an address and its port may sit on
    // neighbouring lines of an HTML table, so they are searched together.
    std::string rest;
    while (!text.empty()) {
        const auto newline = text.find('\n');
        const auto line = Trimmed(text.substr(0, newline));
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        if (line.empty() || IsComment(line)) continue;
        bool proxyFound = false;
        int invalid = 0;
        bool singleToken = true;
        for (std::string_view words = line; !words.empty();) {
            const auto start = words.find_first_not_of(" \t\f\v\r");
            if (start == std::string_view::npos) break;
            words.remove_prefix(start);
            const auto end = words.find_first_of(" \t\f\v\r");
            const auto word = words.substr(0, end);
            words.remove_prefix(word.size());
            if (!words.empty()) singleToken = false;
            auto token = Classify(word, scheme);
            if (token.kind == TokenKind::Proxy) {
                proxyFound = true;
                collector.add(std::move(token.proxy));
            } else if (token.kind == TokenKind::Invalid) {
                ++invalid;
            }
        }
        out.invalid += invalid;
        if (proxyFound || invalid > 0) continue;
        // A lone word that is no entry is a broken one ("1.2.3.4:80:user" say);
        // a bare address or port may be half of a table row.
        const bool markup = line.find('<') != std::string_view::npos;
        if (singleToken && !markup && !LooksNumeric(line)) {
            ++out.invalid;
            continue;
        }
        auto embedded = FindEmbedded(line, scheme);
        if (!embedded.empty()) {
            for (auto& proxy : embedded) collector.add(std::move(proxy));
            continue;
        }
        rest.append(line);
        rest += '\n';
    }
    for (auto& proxy : FindEmbedded(rest, scheme)) collector.add(std::move(proxy));
    return out;
}

}  // namespace veilport::proxypool
