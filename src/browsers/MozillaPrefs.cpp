#include "browsers/MozillaPrefs.h"

#include <algorithm>

namespace veilport::browsers {

namespace {

constexpr std::size_t kHostOffset = 33;
constexpr std::size_t kPortOffset = 37;
constexpr std::size_t kTypeOffset = 32;
constexpr std::size_t kTypeLineLength = 35;

// Replaces the value that starts at `start` and ends before the first `end`
// at or after it. Without an end nothing is deleted and the value goes in
// front of whatever is there. A start past the end of a truncated file is
// taken as the end of the text rather than read beyond it.
void ReplaceValue(std::string& text, std::size_t start, std::string_view end,
                  std::string_view value) {
    start = std::min(start, text.size());
    const auto stop = text.find(end, start);
    const std::size_t length = stop == std::string::npos ? 0 : stop - start;
    text.replace(start, length, value);
}

void AppendLine(std::string& text, std::string_view line) {
    text += '\n';
    text += line;
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
    if (host == std::string::npos) {
        AppendLine(text, kHostLine);
        AppendLine(text, kPortLine);
        AppendLine(text, kTypeLine);
        return text;
    }
    ReplaceValue(text, host + kHostOffset, "\");", "127.0.0.1");

    if (const auto port = text.find(kPortKey); port == std::string::npos)
        AppendLine(text, kPortLine);
    else
        ReplaceValue(text, port + kPortOffset, ");", "8080");

    if (const auto type = text.find(kTypeKey); type == std::string::npos) {
        AppendLine(text, kTypeLine);
    } else if (type + kTypeOffset < text.size()) {
        text[type + kTypeOffset] = '1';
    } else {
        text += '1';
    }
    return text;
}

std::string RestoreMozillaProxyText(std::string text) {
    if (const auto port = text.find(kPortKey); port != std::string::npos) {
        if (const auto lf = text.find('\n', port); lf != std::string::npos)
            text.erase(port, lf - port);
    }
    if (const auto type = text.find(kTypeKey); type != std::string::npos)
        text.erase(type, kTypeLineLength);
    return text;
}

}  // namespace veilport::browsers
