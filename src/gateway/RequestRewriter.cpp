#include "gateway/RequestRewriter.h"

#include <array>

#include "gateway/HeadScanner.h"
#include "platform/text/Ascii.h"

namespace veilport {

namespace {

constexpr std::string_view kCrlf = "\r\n";

bool sameName(std::string_view a, std::string_view b) {
    return text::equalsIgnoringAsciiCase(a, b);
}

// Fields that either concern only the hop between the browser and us, or would
// let the upstream answer "not modified" from a cache we cannot see.
constexpr std::array<std::string_view, 10> kRemovedFields = {
    "Proxy-Connection",  "Keep-Alive", "TE",
    "Trailer",           "Upgrade",    "If-Match",
    "If-Modified-Since", "If-Range",   "If-Unmodified-Since",
    "If-None-Match",
};

bool isRemoved(std::string_view name) {
    for (auto removed : kRemovedFields)
        if (sameName(name, removed)) return true;
    return false;
}

// Splits at the first blank; without one, the first part is empty.
std::pair<std::string_view, std::string_view> splitAtBlank(std::string_view text) {
    const auto blank = text.find(' ');
    if (blank == std::string_view::npos) return {std::string_view{}, text};
    return {text.substr(0, blank), text.substr(blank + 1)};
}

// The request line split at its first two blanks and joined with single ones.
void appendRequestLine(std::string& out, std::string_view requestLine) {
    const auto [method, afterMethod] = splitAtBlank(requestLine);
    const auto [target, version] = splitAtBlank(afterMethod);
    out.append(method);
    out.push_back(' ');
    out.append(target);
    out.push_back(' ');
    out.append(version);
    out.append(kCrlf);
}

void appendField(std::string& out, std::string_view name, std::string_view value) {
    out.append(name);
    out.append(": ");
    out.append(value);
    out.append(kCrlf);
}

}  // namespace

RewrittenRequest RewriteRequest(std::string_view request, const RewriteOptions& options) {
    RewrittenRequest result;
    std::string& out = result.bytes;
    out.reserve(request.size() + 64);

    std::string_view rest = request;
    bool firstLine = true;
    bool complete = false;
    bool sawConnection = false;
    bool sawAcceptEncoding = false;

    for (;;) {
        std::string_view unread = rest;
        const auto line = TakeLine(unread);
        if (!line) break;  // a cut line stays in the remainder
        rest = unread;
        if (line->empty()) {
            // Empty lines before the request line are noise some clients send
            // after a previous request's body; the first one after it ends the
            // header block.
            if (firstLine) continue;
            complete = true;
            break;
        }
        if (firstLine) {
            // Fields are written straight after it, in the order they come.
            appendRequestLine(out, *line);
            firstLine = false;
            continue;
        }
        std::string_view name;
        std::string_view value;
        const auto colon = line->find(':');
        if (colon == std::string_view::npos) {
            value = line->substr(1);
        } else {
            name = line->substr(0, colon);
            if (colon + 2 <= line->size()) value = line->substr(colon + 2);
        }
        if (name == "Host") {
            const auto portColon = value.find(':');
            result.targetHost = std::string(portColon != std::string_view::npos && portColon > 0
                                                ? value.substr(0, portColon)
                                                : value);
        }
        if (isRemoved(name)) continue;
        if (sameName(name, "Connection")) {
            sawConnection = true;
            appendField(out, name, "close");
        } else if (options.identityEncoding && sameName(name, "Accept-Encoding")) {
            sawAcceptEncoding = true;
            appendField(out, name, "identity");
        } else {
            appendField(out, name, value);
        }
    }

    if (firstLine) appendRequestLine(out, {});  // no whole line came: an empty request line
    if (!sawConnection) appendField(out, "Connection", "close");
    if (options.identityEncoding && !sawAcceptEncoding)
        appendField(out, "Accept-Encoding", "identity");
    if (complete) out.append(kCrlf);
    out.append(rest);
    return result;
}

}  // namespace veilport
