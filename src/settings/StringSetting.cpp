#include "settings/StringSetting.h"

#include <vector>

#include "platform/registry/Registry.h"

namespace veilport {

template <>
std::string StringSetting::read() {
    registry::KeyHandle key;
    if (registry::openKey(root_, keyPath_, registry::kKeyRead, key) != registry::kSuccess)
        return default_;
    std::uint32_t size = 0;
    if (registry::queryValue(key, valueName_, nullptr, nullptr, &size) != registry::kSuccess)
        return default_;
    std::vector<std::byte> buffer(size);
    // The value may grow between the two queries when another thread writes it;
    // then ask again with the new size.
    registry::Status status = registry::kMoreData;
    while (status == registry::kMoreData) {
        buffer.resize(size);
        status = registry::queryValue(key, valueName_, nullptr, buffer.data(), &size);
    }
    registry::closeKey(key);
    if (status != registry::kSuccess) return default_;
    const char* text = reinterpret_cast<const char*>(buffer.data());
    std::size_t length = 0;
    while (length < size && text[length] != '\0') ++length;
    cached_.assign(text, length);
    valid_ = true;
    return cached_;
}

template <>
void StringSetting::write() {
    registry::KeyHandle key;
    if (registry::createKey(root_, keyPath_, registry::kKeyWrite, key) != registry::kSuccess)
        return;
    if (registry::setValue(key, valueName_, registry::kTypeSz, cached_.c_str(),
                           static_cast<std::uint32_t>(cached_.size() + 1)) == registry::kSuccess)
        valid_ = true;
    registry::closeKey(key);
}

}  // namespace veilport
