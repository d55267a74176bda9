#pragma once

// Helpers shared by the cleaner tests: an observer that records, and small
// file and registry fixtures.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "cleaner/CleaningObserver.h"
#include "platform/registry/Registry.h"

namespace veilport::cleaner::testing {

namespace fs = std::filesystem;

struct Refusal {
    CleaningTask task;
    std::string folder;
    std::string reason;
};

class RecordingObserver : public CleaningObserver {
public:
    void taskStarted(CleaningTask task) override {
        events.push_back("task " + std::to_string(int(task)));
    }
    void removed(RemovedKind kind, std::string_view what) override {
        removedItems.emplace_back(what);
        events.push_back(kindTag(kind) + std::string(what));
    }
    void refused(CleaningTask task, const fs::path& folder, std::string_view reason) override {
        refusals.push_back({task, folder.string(), std::string(reason)});
        events.push_back("refused " + folder.string());
    }
    static std::string kindTag(RemovedKind kind) {
        switch (kind) {
            case RemovedKind::File:
                return "file ";
            case RemovedKind::Folder:
                return "folder ";
            case RemovedKind::Link:
                return "link ";
            case RemovedKind::RegistryKey:
                return "key ";
            case RemovedKind::CacheEntry:
                return "cache ";
            case RemovedKind::HistoryEntries:
                return "history ";
        }
        return "";
    }

    std::vector<std::string> events;
    std::vector<std::string> removedItems;
    std::vector<Refusal> refusals;
};

inline void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Content and mode of every entry below `root`, links by their target text:
// two equal snapshots mean nothing in the tree changed.
inline std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> result;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const auto rel = fs::relative(it->path(), root).string();
        struct stat st {};
        ::lstat(it->path().c_str(), &st);
        std::string what = std::to_string(st.st_mode) + ":";
        if (it->is_symlink())
            what += "->" + fs::read_symlink(it->path()).string();
        else if (it->is_regular_file())
            what += readFile(it->path());
        result[rel] = what;
    }
    return result;
}

inline void setDword(registry::Root root, const std::string& keyPath, const std::string& name,
                     std::uint32_t value) {
    registry::KeyHandle key;
    ASSERT_EQ(registry::createKey(root, keyPath, registry::kKeyWrite, key), registry::kSuccess);
    ASSERT_EQ(registry::setValue(key, name, registry::kTypeDword, &value, sizeof value),
              registry::kSuccess);
}

inline void setString(registry::Root root, const std::string& keyPath, const std::string& name,
                      const std::string& text, registry::ValueType type = registry::kTypeSz) {
    registry::KeyHandle key;
    ASSERT_EQ(registry::createKey(root, keyPath, registry::kKeyWrite, key), registry::kSuccess);
    ASSERT_EQ(registry::setValue(key, name, type, text.c_str(),
                                 static_cast<std::uint32_t>(text.size() + 1)),
              registry::kSuccess);
}

inline bool keyExists(registry::Root root, const std::string& path) {
    registry::KeyHandle key;
    return registry::openKey(root, path, registry::kKeyRead, key) == registry::kSuccess;
}

}  // namespace veilport::cleaner::testing
