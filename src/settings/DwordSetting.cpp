#include "settings/DwordSetting.h"

#include <cstring>

#include "platform/registry/Registry.h"
#include "settings/SettingPath.h"

namespace veilport {

DwordSetting::DwordSetting(std::string_view path, std::uint32_t defaultValue,
                           registry::Root root)
    : root_(root), default_(defaultValue) {
    auto split = SettingPath::split(path);
    keyPath_ = std::move(split.keyPath);
    valueName_ = std::move(split.valueName);
    read();
}

std::uint32_t DwordSetting::get() { return valid_ ? cached_ : read(); }

void DwordSetting::set(std::uint32_t value) {
    if (value == cached_) return;
    cached_ = value;
    write();
}

std::uint32_t DwordSetting::read() {
    registry::KeyHandle key;
    if (registry::openKey(root_, keyPath_, registry::kKeyRead, key) != registry::kSuccess)
        return default_;
    // Any value of up to four bytes lands in the low-order bytes of the cache,
    // whatever its type; the bytes it does not cover keep what they held.
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
