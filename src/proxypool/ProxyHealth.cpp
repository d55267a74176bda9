#include "proxypool/ProxyHealth.h"

namespace veilport::proxypool {

void ProxyHealth::record(const std::string& key, const ProxyCheck& check, std::int64_t now) {
    std::lock_guard lock(mutex_);
    entries_[key] = {check, now};
}

std::optional<HealthEntry> ProxyHealth::find(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(key);
    if (it == entries_.end()) return std::nullopt;
    return it->second;
}

bool ProxyHealth::isDead(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(key);
    return it != entries_.end() && !it->second.check.works;
}

std::vector<std::string> ProxyHealth::deadKeys() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> keys;
    for (const auto& [key, entry] : entries_)
        if (!entry.check.works) keys.push_back(key);
    return keys;
}

void ProxyHealth::forget(const std::string& key) {
    std::lock_guard lock(mutex_);
    entries_.erase(key);
}

}  // namespace veilport::proxypool
