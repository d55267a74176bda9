#include "platform/inet/ConnectionOptions.h"

#include <string>
#include <vector>

#include "platform/inet/ConnectionStore.h"
#include "platform/registry/Registry.h"

namespace veilport::inet {

namespace store {

std::string valueName(const char* connection) {
    return connection == nullptr ? std::string(kLanConnectionName) : std::string(connection);
}

std::string valueName(const std::optional<std::string>& connection) {
    return connection ? *connection : std::string(kLanConnectionName);
}

}  // namespace store

namespace {

struct PendingWrite {
    std::string_view key;
    registry::ValueType type;
    std::vector<char> data;
};

}  // namespace

bool setPerConnectionOptions(PerConnOptionList& list) {
    if (list.size != sizeof(PerConnOptionList) || list.optionCount == 0 || list.options == nullptr)
        return false;

    // Check the whole list before writing, so that a bad option leaves the
    // connection as it was rather than half changed.
    std::vector<PendingWrite> writes;
    for (std::uint32_t i = 0; i < list.optionCount; ++i) {
        const PerConnOption& option = list.options[i];
        switch (option.option) {
            case PerConnOptionId::Flags: {
                std::vector<char> bytes(sizeof(std::uint32_t));
                for (std::size_t b = 0; b < bytes.size(); ++b)
                    bytes[b] = static_cast<char>((option.number >> (8 * b)) & 0xff);
                writes.push_back({store::kFlagsKey, registry::kTypeDword, std::move(bytes)});
                continue;
            }
            case PerConnOptionId::ProxyServer:
            case PerConnOptionId::ProxyBypass: {
                const std::string_view text = option.text ? option.text : "";
                std::vector<char> bytes(text.begin(), text.end());
                bytes.push_back('\0');
                writes.push_back({option.option == PerConnOptionId::ProxyServer ? store::kServerKey
                                                                                : store::kBypassKey,
                                  registry::kTypeSz, std::move(bytes)});
                continue;
            }
        }
        // An option number this stand-in does not know.
        list.optionError = i;
        return false;
    }

    const std::string name = store::valueName(list.connection);
    bool ok = true;
    for (const auto& write : writes) {
        registry::KeyHandle key;
        if (registry::createKey(store::kRoot, write.key, registry::kKeyWrite, key) !=
                registry::kSuccess ||
            registry::setValue(key, name, write.type, write.data.data(),
                               static_cast<std::uint32_t>(write.data.size())) != registry::kSuccess)
            ok = false;
    }
    return ok;
}

}  // namespace veilport::inet
