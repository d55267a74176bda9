#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry/Registry.h"

namespace veilport {

// A handle on one key, for code that creates, tests or deletes keys or works on
// several values of one key. The sub-key path is held in a 128-byte buffer, so
// a longer path is cut to its first 127 characters.
class RegistryKey {
public:
    static constexpr std::size_t kPathBufferSize = 128;
    static constexpr std::size_t kStringBufferSize = 1024;

    RegistryKey(registry::Root root, std::string_view subKeyPath,
                registry::Access access = registry::kKeyReadWrite);

    // Creates or opens the key; the handle stays open.
    registry::Status createKey();
    // Creates or opens the key. True when it already existed (handle kept open);
    // otherwise the key this call created is deleted again and false returned.
    bool existsElseRemove();
    void closeKey();
    // Deletes the sub-key path under the root (refused while it has sub-keys).
    registry::Status deleteKey();

    registry::Status setDword(std::string_view name, std::uint32_t value);
    // kCantRead when the value is not a DWORD.
    registry::Status getDword(std::string_view name, std::uint32_t& value);
    // Through a 1024-byte buffer: a longer value answers kMoreData. kCantRead when
    // the value is neither REG_SZ nor REG_EXPAND_SZ.
    registry::Status getString(std::string_view name, std::string& text);

    const std::string& subKeyPath() const { return subKeyPath_; }
    bool isOpen() const { return handle_.isOpen(); }
    const registry::KeyHandle& handle() const { return handle_; }

private:
    registry::Root root_;
    registry::KeyHandle handle_;
    std::string subKeyPath_;
    registry::Access access_;
};

}  // namespace veilport
