#pragma once

#include <string>
#include <string_view>

#include "platform/registry/RegistryTypes.h"
#include "settings/SettingsTable.h"

namespace veilport {

// One text registry value, with the same life and cache rules as DwordSetting.
class StringSetting {
public:
    StringSetting(std::string_view path, std::string defaultValue,
                  registry::Root root = registry::Root::LocalMachine);
    explicit StringSetting(const StringSpec& spec)
        : StringSetting(spec.path, std::string(spec.defaultValue), spec.root) {}

    std::string get();
    // Writes when the text differs from the cache, comparing case-sensitively.
    void set(const std::string& text);
    // Text up to the stored terminator; the default on any failure.
    std::string read();
    // Stores the cache as REG_SZ with its terminator.
    void write();

    bool valid() const { return valid_; }
    const std::string& keyPath() const { return keyPath_; }
    const std::string& valueName() const { return valueName_; }

private:
    registry::Root root_;
    std::string valueName_;
    std::string keyPath_;
    std::string cached_;
    std::string default_;
    bool valid_ = false;
};

}  // namespace veilport
