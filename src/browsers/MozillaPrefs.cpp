#include "browsers/MozillaPrefs.h"

namespace veilport::browsers {

namespace {

// One preference line: its search key, the text between the key and the value
// (so the value starts at the key's length plus the lead's), what ends the
// value, and the whole line written when it is missing or malformed.
struct PrefLine {
    std::string_view key;
    std::string_view lead;
    std::string_view end;  // empty: the value is exactly one character
    std::string_view value;
    std::string_view line;
};

constexpr PrefLine kHost{kHostKey, ", \"", "\");", "127.0.0.1", kHostLine};
constexpr PrefLine kPort{kPortKey, ", ", ");", "8080", kPortLine};
constexpr PrefLine kType{kTypeKey, ", ", "", "1", kTypeLine};
constexpr PrefLine kSslHost{kSslHostKey, ", \"", "\");", "127.0.0.1", kSslHostLine};
constexpr PrefLine kSslPort{kSslPortKey, ", ", ");", "8080", kSslPortLine};

// Where the line holding `pos` ends: its LF, or the end of the text.
std::size_t LineEnd(const std::string& text, std::size_t pos) {
    const auto lf = text.find('\n', pos);
    return lf == std::string::npos ? text.size() : lf;
}

void AppendLine(std::string& text, std::string_view line) {
    text += '\n';
    text += line;
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

// Takes the text of a port line out up to its line break, which stays; a line
// ending the text goes to the end. Lines written here end the text themselves
// (each is appended after a break), so the last of them must go as well.
void ClearPortLine(std::string& text, std::string_view key) {
    if (const auto at = text.find(key); at != std::string::npos)
        text.erase(at, LineEnd(text, at) - at);
}

}  // namespace

std::string ReadPrefsText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return text;
}

std::string SetMozillaProxyText(std::string text) {
    const auto host = text.find(kHostKey);
    const bool hostMissing = host == std::string::npos;
    if (hostMissing) {
        AppendLine(text, kHostLine);
        AppendLine(text, kPortLine);
    } else {
        SetValue(text, host, kHost);
        SetOrAppend(text, kPort);
    }
    // HTTPS goes through the Gateway too (as CONNECT), or every secure site
    // would see the user's own address.
    SetOrAppend(text, kSslHost);
    SetOrAppend(text, kSslPort);
    if (hostMissing)
        AppendLine(text, kTypeLine);
    else
        SetOrAppend(text, kType);
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
        text.erase(type, end - type);
    }
    return text;
}

}  // namespace veilport::browsers
