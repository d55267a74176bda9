#include "proxypool/AnonymityLevel.h"

#include "platform/text/Ascii.h"

namespace veilport::proxypool {

namespace {

bool AddressChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == '.' ||
           c == ':';
}

constexpr std::string_view kProxyHeaders[] = {
    "Via",           "X-Forwarded-For", "Forwarded",   "X-Real-Ip",   "X-Forwarded",
    "Forwarded-For", "X-Proxy-Id",      "Client-Ip",   "X-Client-Ip", "X-Originating-Ip",
    "X-Tinyproxy",   "X-Bluecoat-Via",  "Proxy-Agent",
};

}  // namespace

std::string_view LevelText(AnonymityLevel level) {
    switch (level) {
        case AnonymityLevel::Transparent:
            return "transparent";
        case AnonymityLevel::Anonymous:
            return "anonymous";
        case AnonymityLevel::Elite:
            return "elite";
    }
    return "transparent";
}

std::span<const std::string_view> ProxyHeaderNames() {
    return kProxyHeaders;
}

bool MentionsAddress(std::string_view text, std::string_view address) {
    if (address.empty()) return false;
    for (auto at = text.find(address); at != std::string_view::npos;
         at = text.find(address, at + 1)) {
        const bool cleanStart = at == 0 || !AddressChar(text[at - 1]);
        const auto end = at + address.size();
        const bool cleanEnd = end == text.size() || !AddressChar(text[end]);
        if (cleanStart && cleanEnd) return true;
    }
    return false;
}

AnonymityLevel ClassifyAnonymity(const JudgeAnswer& answer, std::string_view realAddress) {
    if (MentionsAddress(answer.origin, realAddress)) return AnonymityLevel::Transparent;
    for (const auto& [name, value] : answer.headers) {
        // The judge's own host name may be an address too; it says nothing of the user.
        if (text::equalsIgnoringAsciiCase(name, "Host")) continue;
        if (MentionsAddress(value, realAddress)) return AnonymityLevel::Transparent;
    }
    for (const auto name : kProxyHeaders)
        if (answer.header(name)) return AnonymityLevel::Anonymous;
    return AnonymityLevel::Elite;
}

}  // namespace veilport::proxypool
