#pragma once

// The system services a cleaning pass asks about: the system family, the
// user's identity and the security of registry keys. The pass goes through
// this class so that tests can stand in another system (one outside the NT
// family) or watch the order of the security steps; the program uses it as is.

#include <string>
#include <string_view>

#include "platform/registry/KeySecurity.h"
#include "platform/shell/SystemVersion.h"

namespace veilport::cleaner {

class CleanerSystem {
public:
    virtual ~CleanerSystem() = default;

    [[nodiscard]] virtual bool getVersionEx(shell::OsVersionInfo& out);
    [[nodiscard]] virtual bool getProcessUserSid(registry::Sid& out);
    [[nodiscard]] virtual bool getUserName(std::string& out);
    // The DACL of a key, opened for reading its security.
    [[nodiscard]] virtual registry::Status getKeyDacl(registry::Root root, std::string_view path,
                                                      registry::SecurityDescriptor& out);
    // Replaces the DACL of a key, opened for changing its security.
    [[nodiscard]] virtual registry::Status setKeyDacl(registry::Root root, std::string_view path,
                                                      const registry::SecurityDescriptor& dacl);
    // The key with all its sub-keys and values.
    [[nodiscard]] virtual registry::Status deleteKeyTree(registry::Root root,
                                                         std::string_view path);
    [[nodiscard]] virtual bool keyExists(registry::Root root, std::string_view path);
};

}  // namespace veilport::cleaner
