#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry/RegistryTypes.h"
#include "settings/SettingPath.h"
#include "settings/SettingsTable.h"

namespace veilport {

// One registry value of the program, as DwordSetting (a 32-bit number) or
// StringSetting (a text). Built where it is needed: the constructor reads the
// store once, so a fresh object always sees the latest value. An object that
// lives on reads again only while it has never read or written successfully.
template <typename Value, typename Spec>
class Setting {
public:
    Setting(std::string_view path, Value defaultValue,
            registry::Root root = registry::Root::LocalMachine)
        : root_(root), default_(std::move(defaultValue)) {
        auto split = SettingPath::split(path);
        keyPath_ = std::move(split.keyPath);
        valueName_ = std::move(split.valueName);
        read();
    }
    explicit Setting(const Spec& spec) : Setting(spec.path, Value(spec.defaultValue), spec.root) {}

    // The cached value when valid, otherwise a fresh read.
    Value get() { return valid_ ? cached_ : read(); }
    // Writes when the value differs from the cache (which starts at 0 or
    // empty, compared exactly); an equal value writes nothing. Callers that
    // must store regardless call write() after.
    void set(const Value& value) {
        if (value == cached_) return;
        cached_ = value;
        write();
    }
    // Reads into the cache; the default on any failure, cache left as it was.
    Value read();
    // Stores the cache, creating the key when needed. Failures are not
    // reported; valid() then stays as it was.
    void write();

    bool valid() const { return valid_; }
    const std::string& keyPath() const { return keyPath_; }
    const std::string& valueName() const { return valueName_; }

private:
    registry::Root root_;
    std::string valueName_;
    std::string keyPath_;
    Value cached_{};
    Value default_;
    bool valid_ = false;
};

// A DWORD: any value of up to four bytes is read into the low-order bytes of
// the cache, whatever its type; the bytes it does not cover keep what they held.
using DwordSetting = Setting<std::uint32_t, DwordSpec>;
template <>
std::uint32_t DwordSetting::read();
template <>
void DwordSetting::write();

// A REG_SZ text: read up to its stored terminator, written with it.
using StringSetting = Setting<std::string, StringSpec>;
template <>
std::string StringSetting::read();
template <>
void StringSetting::write();

}  // namespace veilport
