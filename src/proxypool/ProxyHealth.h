#pragma once

// What the latest checks found of each proxy, by address: whether it works,
// when it was checked and why it failed. Background re-tests write it, the
// lists show it, and the choice of a next upstream skips what it marks dead.
// Guarded: written by checking threads, read by the window and the Gateway's
// failover.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "proxypool/ProxyJudge.h"

namespace veilport::proxypool {

struct HealthEntry {
    ProxyCheck check;
    std::int64_t checkedAt = 0;  // seconds since the epoch
};

class ProxyHealth {
public:
    // key: the tested list's address ("host:port"), or a ListedProxy's text().
    void record(const std::string& key, const ProxyCheck& check, std::int64_t now);
    std::optional<HealthEntry> find(const std::string& key) const;
    // Checked, and found not working. A proxy never checked is not dead.
    bool isDead(const std::string& key) const;
    std::vector<std::string> deadKeys() const;
    void forget(const std::string& key);

private:
    mutable std::mutex mutex_;
    std::map<std::string, HealthEntry> entries_;
};

}  // namespace veilport::proxypool
