#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veilport::secret {

// What a proxy password is kept under: the proxy's scheme, user, host and port.
struct PasswordKey {
    std::string scheme;
    std::string user;
    std::string host;
    std::uint16_t port = 0;

    bool operator==(const PasswordKey&) const = default;
};

// A place that keeps proxy passwords. Never a file of ours, a setting or a log.
class PasswordStore {
public:
    virtual ~PasswordStore() = default;
    // False when the password could not be kept there.
    [[nodiscard]] virtual bool store(const PasswordKey& key, std::string_view password) = 0;
    // Nothing when none is kept (or the store cannot be asked).
    [[nodiscard]] virtual std::optional<std::string> lookup(const PasswordKey& key) = 0;
    virtual void remove(const PasswordKey& key) = 0;
};

}  // namespace veilport::secret
