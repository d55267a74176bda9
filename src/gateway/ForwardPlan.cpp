#include "gateway/ForwardPlan.h"

#include <charconv>

#include "platform/text/Ascii.h"

namespace veilport {

namespace {

constexpr std::string_view kCrlf = "\r\n";
constexpr std::string_view kProxyAuthorization = "Proxy-Authorization";

struct Authority {
    bool ok = false;
    std::string host;
    std::uint16_t port = 0;
};

// "host", "host:port" or "[v6]:port"; the port defaults to `defaultPort`.
Authority readAuthority(std::string_view text, std::uint16_t defaultPort) {
    Authority authority;
    std::string_view host = text;
    std::string_view port;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos) return authority;
        host = text.substr(1, close - 1);
        if (close + 1 < text.size()) {
            if (text[close + 1] != ':') return authority;
            port = text.substr(close + 2);
        }
    } else if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    authority.port = defaultPort;
    if (!port.empty()) {
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (ec != std::errc{} || end != port.data() + port.size() || value == 0 || value > 65535)
            return authority;
        authority.port = static_cast<std::uint16_t>(value);
    }
    if (host.empty() || host.size() > 255) return authority;
    authority.host.assign(host);
    authority.ok = authority.port != 0;
    return authority;
}

bool isField(std::string_view line, std::string_view name) {
    return line.size() > name.size() && line[name.size()] == ':' &&
           text::EqualsIgnoringAsciiCase(line.substr(0, name.size()), name);
}

struct Head {
    std::string_view method, target, version;
    std::string_view fields;  // the field lines, each ending in CR LF
    std::string_view rest;    // after the empty line: body bytes
};

Head splitHead(std::string_view bytes) {
    Head head;
    const auto lineEnd = bytes.find(kCrlf);
    const auto line = bytes.substr(0, lineEnd);
    const auto first = line.find(' ');
    const auto second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    head.method = line.substr(0, first);
    if (first != std::string_view::npos) head.target = line.substr(first + 1, second - first - 1);
    if (second != std::string_view::npos) head.version = line.substr(second + 1);
    if (lineEnd == std::string_view::npos) return head;
    const auto afterLine = bytes.substr(lineEnd + kCrlf.size());
    // The rewriter ends the head with one empty line, unless it came cut.
    const auto blank = afterLine.rfind(kCrlf, 0) == 0 ? 0 : afterLine.find("\r\n\r\n");
    if (blank == std::string_view::npos) {
        head.fields = afterLine;
    } else if (blank == 0) {
        head.rest = afterLine.substr(kCrlf.size());
    } else {
        head.fields = afterLine.substr(0, blank + kCrlf.size());
        head.rest = afterLine.substr(blank + 2 * kCrlf.size());
    }
    return head;
}

// The field lines without any Proxy-Authorization: that one is for a proxy
// hop, never for the next one or the site.
std::string fieldsWithoutProxyLogin(std::string_view fields, std::string* hostValue) {
    std::string out;
    while (!fields.empty()) {
        const auto end = fields.find(kCrlf);
        const auto line = fields.substr(0, end);
        fields = end == std::string_view::npos ? std::string_view{} : fields.substr(end + 2);
        if (isField(line, kProxyAuthorization)) continue;
        if (hostValue && line.rfind("Host:", 0) == 0) {
            auto value = line.substr(5);
            while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
            hostValue->assign(value);
        }
        out.append(line);
        out.append(kCrlf);
    }
    return out;
}

ForwardPlan refuse(ForwardPlan plan, std::string failure) {
    plan.ok = false;
    plan.failure = std::move(failure);
    return plan;
}

}  // namespace

std::string BasicCredentials(std::string_view user, std::string_view password) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string plain(user);
    plain += ':';
    plain.append(password);
    std::string out = "Basic ";
    std::size_t i = 0;
    for (; i + 3 <= plain.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(plain[i]) << 16) |
                           (static_cast<unsigned char>(plain[i + 1]) << 8) |
                           static_cast<unsigned char>(plain[i + 2]);
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += kDigits[(v >> 6) & 63];
        out += kDigits[v & 63];
    }
    if (const std::size_t left = plain.size() - i; left > 0) {
        unsigned v = static_cast<unsigned char>(plain[i]) << 16;
        if (left == 2) v |= static_cast<unsigned char>(plain[i + 1]) << 8;
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += left == 2 ? kDigits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

ForwardPlan PlanForward(std::string_view rewritten, const GatewaySettings& upstream) {
    ForwardPlan plan;
    const Head head = splitHead(rewritten);
    plan.connect = head.method == "CONNECT";

    if (upstream.scheme == proxypool::UpstreamScheme::Http) {
        if (!upstream.user) {
            plan.bytes.assign(rewritten);
            return plan;
        }
        // Ours goes right after the request line; the browser's never leaves.
        const auto lineEnd = rewritten.find(kCrlf);
        if (lineEnd == std::string_view::npos) {
            plan.bytes.assign(rewritten);
            return plan;
        }
        plan.bytes.assign(rewritten.substr(0, lineEnd + kCrlf.size()));
        plan.bytes += kProxyAuthorization;
        plan.bytes += ": ";
        plan.bytes += BasicCredentials(*upstream.user, upstream.password.value_or(""));
        plan.bytes += kCrlf;
        plan.bytes += fieldsWithoutProxyLogin(head.fields, nullptr);
        plan.bytes += kCrlf;
        plan.bytes.append(head.rest);
        return plan;
    }

    std::string hostField;
    const std::string fields = fieldsWithoutProxyLogin(head.fields, &hostField);
    if (plan.connect) {
        const auto authority = readAuthority(head.target, 443);
        if (!authority.ok)
            return refuse(plan, "The browser asked for a tunnel to no valid address.");
        plan.tunnelBySocks = true;
        plan.host = authority.host;
        plan.port = authority.port;
        // Bytes the browser sent before our answer belong to the tunnel.
        plan.bytes.assign(head.rest);
        return plan;
    }

    std::string_view target = head.target;
    std::string_view path = "/";
    Authority authority;
    if (text::StartsWithIgnoringAsciiCase(target, "http://")) {
        target.remove_prefix(7);
        const auto slash = target.find_first_of("/?#");
        authority = readAuthority(target.substr(0, slash), 80);
        if (slash != std::string_view::npos) path = target.substr(slash);
        if (!path.empty() && path.front() != '/') {
            plan.bytes = "/";
        }
    } else if (!target.empty() && target.front() == '/') {
        authority = readAuthority(hostField, 80);
        path = target;
    } else {
        return refuse(plan,
                      "Only http:// requests and tunnels (CONNECT) can go through a SOCKS5 proxy.");
    }
    if (!authority.ok) return refuse(plan, "The request names no site Veilport could reach.");
    plan.host = authority.host;
    plan.port = authority.port;
    plan.bytes.append(path);
    plan.bytes.insert(0, std::string(head.method) + ' ');
    plan.bytes += ' ';
    plan.bytes.append(head.version);
    plan.bytes += kCrlf;
    plan.bytes += fields;
    plan.bytes += kCrlf;
    plan.bytes.append(head.rest);
    return plan;
}

}  // namespace veilport
