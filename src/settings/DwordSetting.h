#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry/RegistryTypes.h"
#include "settings/SettingsTable.h"

namespace veilport {

// One 32-bit registry value. Built where it is needed: the constructor reads the
// store once, so a fresh object always sees the latest value. An object that
// lives on reads again only while it has never read or written successfully.
class DwordSetting {
public:
    DwordSetting(std::string_view path, std::uint32_t defaultValue,
                 registry::Root root = registry::Root::LocalMachine);
    explicit DwordSetting(const DwordSpec& spec)
        : DwordSetting(spec.path, spec.defaultValue, spec.root) {}

    // The cached value when valid, otherwise a fresh read.
    std::uint32_t get();
    // Writes when the value differs from the cache (which starts at 0); an equal
    // value writes nothing. Callers that must store regardless call write() after.
    void set(std::uint32_t value);
    // Reads into the cache; the default on any failure, cache left as it was.
    std::uint32_t read();
    // Stores the cache as a DWORD, creating the key when needed. Failures are not
    // reported; valid() then stays as it was.
    void write();

    bool valid() const { return valid_; }
    const std::string& keyPath() const { return keyPath_; }
    const std::string& valueName() const { return valueName_; }

private:
    registry::Root root_;
    std::string valueName_;
    std::string keyPath_;
    std::uint32_t cached_ = 0;
    std::uint32_t default_;
    bool valid_ = false;
};

}  // namespace veilport
