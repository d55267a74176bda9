#include "proxypool/ProxyText.h"

#include <climits>
#include <cstdio>

namespace veilport::proxypool {

namespace {

bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int ReadDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        // Stop growing once past the int range; the sign is applied after.
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

ProxyParts SplitProxyText(std::string_view text) {
    ProxyParts parts;
    const auto colon = text.find(':');
    if (colon != std::string_view::npos) {
        parts.host.assign(text.substr(0, colon));
        parts.port = ReadDecimal(text.substr(colon + 1));
    } else {
        parts.port = ReadDecimal(text);
    }
    parts.country.assign(CountryOf(text));
    return parts;
}

std::string AddressKey(std::string_view host, int port) {
    std::string key(host);
    key += ':';
    key += std::to_string(port);
    return key;
}

std::string_view CountryOf(std::string_view text) {
    const auto arrow = text.find(kCountrySeparator);
    if (arrow == std::string_view::npos) return {};
    return text.substr(arrow + kCountrySeparator.size());
}

std::string_view AddressPartOf(std::string_view text) {
    return text.substr(0, text.find(kCountrySeparator));
}

bool SupportsPost(std::string_view entry) {
    const auto at = entry.find(kSupportsPostMark);
    return at != std::string_view::npos && at > 0;
}

}  // namespace veilport::proxypool
