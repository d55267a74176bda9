#include "browsers/MozillaPrefs.h"

#include <string>

namespace veilport::browsers {

namespace {

// One preference line: its search key, the text between the key and the value
// (so the value starts at the key's length plus the lead's), what ends the
// value, and the whole line written when it is missing or malformed.
struct PrefLine {
    std::string_view key;
    std::string_view lead;
    std::string_view end;  // empty: the value is exactly one character
    std::string value;
    std::string line;
};

PrefLine HostPref() {
    return {kHostKey, ", \"", "\");", "127.0.0.1", std::string(kHostLine)};
}
PrefLine SslHostPref() {
    return {kSslHostKey, ", \"", "\");", "127.0.0.1", std::string(kSslHostLine)};
}
PrefLine PortPref(std::uint16_t port) {
    return {kPortKey, ", ", ");", std::to_string(port), PortLine(port)};
}
PrefLine SslPortPref(std::uint16_t port) {
    return {kSslPortKey, ", ", ");", std::to_string(port), SslPortLine(port)};
}
PrefLine TypePref() {
    return {kTypeKey, ", ", "", "1", std::string(kTypeLine)};
}

// Where the line holding `pos` ends: its LF, or the end of the text.
std::size_t LineEnd(const std::string& text, std::size_t pos) {
    const auto lf = text.find('\n', pos);
    return lf == std::string::npos ? text.size() : lf;
}

// A line of its own: after the last line's break when the text has one, so no
// blank line appears, else after a break of its own (and then the text keeps
// ending without one, as it did).
void AppendLine(std::string& text, std::string_view line) {
    if (text.empty() || text.back() == '\n') {
        text += line;
        text += '\n';
    } else {
        text += '\n';
        text += line;
    }
}

// Takes [from, to) out of its line. When that is the whole line, the line's
// break goes too (the one before it for a last line without one), so no blank
// line is left behind.
void EraseFromLine(std::string& text, std::size_t from, std::size_t to) {
    const std::size_t lineEnd = LineEnd(text, from);
    const bool atLineStart = from == 0 || text[from - 1] == '\n';
    if (atLineStart && to == lineEnd) {
        if (lineEnd < text.size())
            ++to;
        else if (from > 0)
            --from;
    }
    text.erase(from, to - from);
}

// Puts the value into the line whose key starts at `at`. Every search stays on
// that line: a line without the expected shape (another lead, no end of the
// value before the line break, cut short) is replaced from its key to its end
// by the whole line, never joined with the lines after it.
void SetValue(std::string& text, std::size_t at, const PrefLine& pref) {
    const std::size_t lineEnd = LineEnd(text, at);
    const std::size_t start = at + pref.key.size() + pref.lead.size();
    const bool led = start <= lineEnd && std::string_view(text).substr(
                                             at + pref.key.size(), pref.lead.size()) == pref.lead;
    if (led && pref.end.empty() && start < lineEnd) {
        text.replace(start, 1, pref.value);
        return;
    }
    if (led && !pref.end.empty()) {
        const auto stop = text.find(pref.end, start);
        if (stop != std::string::npos && stop + pref.end.size() <= lineEnd) {
            text.replace(start, stop - start, pref.value);
            return;
        }
    }
    text.replace(at, lineEnd - at, pref.line);
}

void SetOrAppend(std::string& text, const PrefLine& pref) {
    if (const auto at = text.find(pref.key); at != std::string::npos)
        SetValue(text, at, pref);
    else
        AppendLine(text, pref.line);
}

// Takes a port line out from its key to its line break.
void ClearPortLine(std::string& text, std::string_view key) {
    if (const auto at = text.find(key); at != std::string::npos)
        EraseFromLine(text, at, LineEnd(text, at));
}

}  // namespace

std::string PortLine(std::uint16_t port) {
    return "user_pref(\"network.proxy.http_port\", " + std::to_string(port) + ");";
}

std::string SslPortLine(std::uint16_t port) {
    return "user_pref(\"network.proxy.ssl_port\", " + std::to_string(port) + ");";
}

std::string ReadPrefsText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return text;
}

std::string SetMozillaProxyText(std::string text, std::uint16_t port) {
    const auto host = text.find(kHostKey);
    const bool hostMissing = host == std::string::npos;
    if (hostMissing) {
        AppendLine(text, kHostLine);
        AppendLine(text, PortLine(port));
    } else {
        SetValue(text, host, HostPref());
        SetOrAppend(text, PortPref(port));
    }
    // HTTPS goes through the Gateway too (as CONNECT), or every secure site
    // would see the user's own address.
    SetOrAppend(text, SslHostPref());
    SetOrAppend(text, SslPortPref(port));
    if (hostMissing)
        AppendLine(text, kTypeLine);
    else
        SetOrAppend(text, TypePref());
    return text;
}

std::string RestoreMozillaProxyText(std::string text) {
    ClearPortLine(text, kPortKey);
    ClearPortLine(text, kSslPortKey);
    if (const auto type = text.find(kTypeKey); type != std::string::npos) {
        // The type line as far as its closing ");", and never past its line.
        const std::size_t lineEnd = LineEnd(text, type);
        const auto close = text.find(");", type);
        const std::size_t end =
            close != std::string::npos && close + 2 <= lineEnd ? close + 2 : lineEnd;
        EraseFromLine(text, type, end);
    }
    return text;
}

}  // namespace veilport::browsers
