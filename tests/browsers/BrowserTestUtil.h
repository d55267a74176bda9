#pragma once

// Small helpers shared by the browser tests: registry values in, files in and out.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/registry/Registry.h"
#include "settings/DwordSetting.h"
#include "settings/SettingPath.h"
#include "settings/StringSetting.h"

namespace veilport::testing {

inline void StoreDword(const DwordSpec& spec, std::uint32_t value) {
    DwordSetting setting(spec);
    setting.set(value);
    setting.write();
}

inline std::uint32_t StoredDword(const DwordSpec& spec) {
    return DwordSetting(spec).get();
}

inline void StoreText(std::string_view path, const std::string& text,
                      registry::Root root = registry::Root::LocalMachine) {
    StringSetting setting(path, "", root);
    setting.set(text);
    setting.write();
}

inline void CreateKey(std::string_view path) {
    registry::KeyHandle key;
    ASSERT_EQ(registry::createKey(registry::Root::LocalMachine, path, registry::kKeyWrite, key),
              registry::kSuccess);
}

inline bool KeyPresent(std::string_view path) {
    registry::KeyHandle key;
    return registry::openKey(registry::Root::LocalMachine, path, registry::kKeyRead, key) ==
           registry::kSuccess;
}

inline void WriteFile(const std::filesystem::path& file, std::string_view text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
}

inline std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace veilport::testing
