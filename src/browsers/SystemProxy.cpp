#include "browsers/SystemProxy.h"

#include <iostream>

#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::browsers {

namespace {

constexpr const char* kBypass = "local";

enum class Operation { Set, Clear };

// One connection's option list, in an array of its own allocated just before
// the call and freed just after it.
bool Apply(Operation operation, const std::optional<std::string>& connection,
           std::string_view server, InternetOptions& inet) {
    const std::size_t count = operation == Operation::Set ? 3 : 1;
    inet::PerConnOption* options = inet.allocateOptions(count);
    if (options == nullptr) return false;
    const std::string serverText(server);
    switch (operation) {
        case Operation::Set:
            options[0] = {inet::PerConnOptionId::Flags,
                          inet::kProxyTypeDirect | inet::kProxyTypeProxy, nullptr};
            options[1] = {inet::PerConnOptionId::ProxyServer, 0, serverText.c_str()};
            options[2] = {inet::PerConnOptionId::ProxyBypass, 0, kBypass};
            break;
        case Operation::Clear:
            options[0] = {inet::PerConnOptionId::Flags, inet::kProxyTypeDirect, nullptr};
            break;
    }
    inet::PerConnOptionList list;
    list.size = sizeof(list);
    list.connection = connection ? connection->c_str() : nullptr;
    list.optionCount = static_cast<std::uint32_t>(count);
    list.options = options;
    inet.setPerConnectionOptions(list);
    inet.freeOptions(options);
    return true;
}

bool ApplyToConnections(Operation operation, std::string_view server, InternetOptions& inet) {
    for (const auto& connection : ConfiguredConnections()) {
        if (!Apply(operation, connection, server, inet)) {
            std::cerr << (operation == Operation::Set
                              ? "failed to allocat memory in SetConnectionOptions()"
                              : "failed to allocat memory in DisableConnectionProxy()")
                      << std::endl;
            return false;
        }
    }
    inet.settingsChanged();
    inet.refresh();
    return true;
}

}  // namespace

std::vector<std::optional<std::string>> ConfiguredConnections() {
    const std::uint32_t enableAutodial = DwordSetting(settings::kEnableAutodial).get();
    const std::uint32_t noNetAutodial = DwordSetting(settings::kNoNetAutodial).get();
    if (enableAutodial != 1) return {std::nullopt};
    std::vector<std::optional<std::string>> connections{
        StringSetting(settings::kDefaultInternet).get()};
    if (noNetAutodial == 1) connections.push_back(std::nullopt);
    return connections;
}

bool SetSystemProxy(std::string_view server, InternetOptions& inet) {
    if (!ApplyToConnections(Operation::Set, server, inet)) return false;
    DwordSetting http11(settings::kEnableHttp11);
    http11.set(1);
    http11.write();
    return true;
}

bool ClearSystemProxy(InternetOptions& inet) {
    if (!ApplyToConnections(Operation::Clear, {}, inet)) return false;
    DwordSetting http11(settings::kProxyHttp11);
    http11.set(1);
    http11.write();
    return true;
}

}  // namespace veilport::browsers
