#include "browsers/SystemProxy.h"

#include <iostream>

#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::browsers {

namespace {

constexpr const char* kBypass = "local";

enum class Operation { Set, Clear };

std::string ConnectionName(const std::optional<std::string>& connection) {
    return connection ? "system proxy of the dial-up connection \"" + *connection + "\""
                      : std::string("system proxy of the LAN");
}

// One connection's option list, in an array of its own allocated just before
// the call and freed just after it. False only when it cannot be allocated.
bool Apply(Operation operation, const std::optional<std::string>& connection,
           std::string_view server, InternetOptions& inet, SwitchReport& report) {
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
    const bool stored = inet.setPerConnectionOptions(list);
    inet.freeOptions(options);
    if (stored)
        report.done(ConnectionName(connection));
    else
        report.failed(ConnectionName(connection), "the settings store refused the change");
    return true;
}

bool ApplyToConnections(Operation operation, std::string_view server, InternetOptions& inet,
                        SwitchReport& report) {
    for (const auto& connection : ConfiguredConnections()) {
        if (!Apply(operation, connection, server, inet, report)) {
            report.failed(ConnectionName(connection), "out of memory");
            std::cerr << (operation == Operation::Set
                              ? "failed to allocat memory in SetConnectionOptions()"
                              : "failed to allocat memory in DisableConnectionProxy()")
                      << std::endl;
            return false;
        }
    }
    inet.settingsChanged();
    for (const auto& outcome : inet.refresh()) {
        if (outcome.done)
            report.done(outcome.target);
        else
            report.failed(outcome.target, outcome.reason.empty()
                                              ? "the desktop's proxy settings could not be changed"
                                              : outcome.reason);
    }
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

bool SetSystemProxy(std::string_view server, SwitchReport& report, InternetOptions& inet) {
    if (!ApplyToConnections(Operation::Set, server, inet, report)) return false;
    DwordSetting http11(settings::kEnableHttp11);
    http11.set(1);
    http11.write();
    return true;
}

bool ClearSystemProxy(SwitchReport& report, InternetOptions& inet) {
    if (!ApplyToConnections(Operation::Clear, {}, inet, report)) return false;
    DwordSetting http11(settings::kProxyHttp11);
    http11.set(1);
    http11.write();
    return true;
}

}  // namespace veilport::browsers
