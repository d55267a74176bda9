#pragma once

#include "platform/secret/PasswordStore.h"

namespace veilport::secret {

// The desktop's Secret Service (GNOME Keyring, KWallet, KeePassXC) through
// libsecret, in the default collection. Every call may wait on D-Bus (and on
// the person unlocking the keyring): keep it off the window thread.
class SecretServicePasswords : public PasswordStore {
public:
    [[nodiscard]] bool store(const PasswordKey& key, std::string_view password) override;
    [[nodiscard]] std::optional<std::string> lookup(const PasswordKey& key) override;
    void remove(const PasswordKey& key) override;

    // Whether a Secret Service answers on the session bus at all.
    static bool available();
};

}  // namespace veilport::secret
