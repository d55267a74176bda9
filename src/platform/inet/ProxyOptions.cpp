#include "platform/inet/ProxyOptions.h"

#include <vector>

#include "platform/inet/ConnectionStore.h"
#include "platform/registry/Registry.h"

namespace veilport::inet {

namespace {

// The value `name` of `keyPath`, when it exists with the expected type.
std::optional<std::vector<std::byte>> ReadValue(std::string_view keyPath, const std::string& name,
                                                registry::ValueType expected) {
    registry::KeyHandle key;
    if (registry::openKey(store::kRoot, keyPath, registry::kKeyRead, key) != registry::kSuccess)
        return std::nullopt;
    registry::ValueType type = registry::kTypeNone;
    std::uint32_t size = 0;
    if (registry::queryValue(key, name, &type, nullptr, &size) != registry::kSuccess ||
        type != expected)
        return std::nullopt;
    std::vector<std::byte> data(size);
    if (registry::queryValue(key, name, &type, data.data(), &size) != registry::kSuccess ||
        type != expected)
        return std::nullopt;
    data.resize(size);
    return data;
}

std::optional<std::string> ReadText(std::string_view keyPath, const std::string& name) {
    const auto data = ReadValue(keyPath, name, registry::kTypeSz);
    if (!data) return std::nullopt;
    std::string text(reinterpret_cast<const char*>(data->data()), data->size());
    return text.substr(0, text.find('\0'));
}

}  // namespace

ProxyOptions loadConnectionOptions(const std::optional<std::string>& connection) {
    const std::string name = store::valueName(connection);
    ProxyOptions options;
    if (const auto data = ReadValue(store::kFlagsKey, name, registry::kTypeDword);
        data && data->size() == sizeof(std::uint32_t)) {
        std::uint32_t flags = 0;
        for (std::size_t b = 0; b < data->size(); ++b)
            flags |= static_cast<std::uint32_t>((*data)[b]) << (8 * b);
        options.flags = flags;
    }
    if (auto text = ReadText(store::kServerKey, name)) options.proxyServer = std::move(*text);
    if (auto text = ReadText(store::kBypassKey, name)) options.bypassList = std::move(*text);
    return options;
}

}  // namespace veilport::inet
