#include "settings/RegistryKey.h"

#include <cstring>

namespace veilport {

RegistryKey::RegistryKey(registry::Root root, std::string_view subKeyPath,
                         registry::Access access)
    : root_(root),
      subKeyPath_(subKeyPath.substr(0, std::min(subKeyPath.size(), kPathBufferSize - 1))),
      access_(access) {}

registry::Status RegistryKey::createKey() {
    return registry::createKey(root_, subKeyPath_, access_, handle_);
}

namespace {
// The prefix of `path` made of its first `count` backslash-separated parts.
std::string_view leadingParts(std::string_view path, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t part = 0; part < count; ++part) {
        end = path.find('\\', part == 0 ? 0 : end + 1);
        if (end == std::string_view::npos) return path;
    }
    return path.substr(0, end);
}
}  // namespace

bool RegistryKey::existsElseRemove() {
    // Remember how much of the path was there before, so that the parents this
    // probe creates on the way are removed with it and nothing is left behind.
    std::size_t parts = 1;
    for (char c : subKeyPath_) parts += c == '\\';
    std::size_t existingParts = 0;
    for (std::size_t count = parts; count > 0; --count) {
        registry::KeyHandle probe;
        if (registry::openKey(root_, leadingParts(subKeyPath_, count), registry::kKeyRead,
                              probe) == registry::kSuccess) {
            existingParts = count;
            break;
        }
    }
    registry::Disposition disposition{};
    if (registry::createKey(root_, subKeyPath_, access_, handle_, &disposition) !=
        registry::kSuccess)
        return false;
    if (disposition == registry::Disposition::OpenedExistingKey) return true;
    closeKey();
    for (std::size_t count = parts; count > existingParts; --count)
        if (registry::deleteKey(root_, leadingParts(subKeyPath_, count)) != registry::kSuccess)
            break;
    return false;
}

void RegistryKey::closeKey() { registry::closeKey(handle_); }

registry::Status RegistryKey::deleteKey() { return registry::deleteKey(root_, subKeyPath_); }

registry::Status RegistryKey::setDword(std::string_view name, std::uint32_t value) {
    return registry::setValue(handle_, name, registry::kTypeDword, &value, sizeof(value));
}

registry::Status RegistryKey::getDword(std::string_view name, std::uint32_t& value) {
    registry::ValueType type = registry::kTypeNone;
    std::uint32_t stored = 0;
    std::uint32_t size = sizeof(stored);
    const auto status =
        registry::queryValue(handle_, name, &type, reinterpret_cast<std::byte*>(&stored), &size);
    if (status != registry::kSuccess) return status;
    if (type != registry::kTypeDword) return registry::kCantRead;
    value = stored;
    return registry::kSuccess;
}

registry::Status RegistryKey::getString(std::string_view name, std::string& text) {
    std::byte buffer[kStringBufferSize];
    registry::ValueType type = registry::kTypeNone;
    std::uint32_t size = sizeof(buffer);
    const auto status = registry::queryValue(handle_, name, &type, buffer, &size);
    if (status != registry::kSuccess) return status;
    if (type != registry::kTypeSz && type != registry::kTypeExpandSz) return registry::kCantRead;
    const char* chars = reinterpret_cast<const char*>(buffer);
    text.assign(chars, strnlen(chars, size));
    return registry::kSuccess;
}

}  // namespace veilport
