#include "settings/DwordSetting.h"

#include <cstring>

#include "platform/registry/Registry.h"

namespace veilport {

template <>
std::uint32_t DwordSetting::read() {
    registry::KeyHandle key;
    if (registry::openKey(root_, keyPath_, registry::kKeyRead, key) != registry::kSuccess)
        return default_;
    std::byte buffer[sizeof(cached_)];
    std::uint32_t size = sizeof(buffer);
    const auto status = registry::queryValue(key, valueName_, nullptr, buffer, &size);
    registry::closeKey(key);
    if (status != registry::kSuccess) return default_;
    std::uint32_t merged = cached_;
    for (std::uint32_t i = 0; i < size; ++i) {
        merged &= ~(0xFFu << (8 * i));
        merged |= static_cast<std::uint32_t>(buffer[i]) << (8 * i);
    }
    cached_ = merged;
    valid_ = true;
    return cached_;
}

template <>
void DwordSetting::write() {
    registry::KeyHandle key;
    if (registry::createKey(root_, keyPath_, registry::kKeyWrite, key) != registry::kSuccess)
        return;
    if (registry::setValue(key, valueName_, registry::kTypeDword, &cached_, sizeof(cached_)) ==
        registry::kSuccess)
        valid_ = true;
    registry::closeKey(key);
}

}  // namespace veilport
