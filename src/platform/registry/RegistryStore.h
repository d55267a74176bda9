#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry/RegistryTypes.h"
#include "platform/registry/SqliteHandle.h"
#include "platform/registry/WalChangeWatch.h"

namespace veilport::registry {

// The SQLite file behind the registry calls. One connection per store, used by
// one thread at a time under the store's lock; other processes share the file
// through SQLite's own locking (WAL mode, with a busy wait).
//
// Keys are rows named by their folded full path ("1\software\veilport", the
// first segment being the hive), so opening a key is one indexed lookup.
//
// Reads are answered from a small in-memory copy of what was read before, as
// long as no connection of any process has committed since (WalChangeWatch):
// the Gateway reads settings for every chunk it relays, and a SQLite read costs
// several file-lock system calls.
class RegistryStore {
public:
    // Always gives a store. One that could not be opened answers reads with
    // kFileNotFound and writes with kAccessDenied, after one line on stderr.
    static std::shared_ptr<RegistryStore> open(const std::filesystem::path& file);

    bool available() const { return db_ != nullptr; }
    // Why the file could not be used ("file is not a database", "the file is
    // damaged"); empty while available.
    const std::string& problem() const { return problem_; }
    const std::filesystem::path& file() const { return file_; }
    // The file's change index as it is now, without the store's lock; false
    // when it cannot be seen (see WalChangeWatch).
    bool changeIndex(WalChangeWatch::Header& out) const { return watch_.read(out); }

    Status openKey(Root root, std::string_view path, std::int64_t& id);
    Status createKey(Root root, std::string_view path, std::int64_t& id, Disposition* disposition);
    Status deleteKey(Root root, std::string_view path, bool withTree);

    Status queryValue(std::int64_t key, std::string_view name, ValueType* type, std::byte* data,
                      std::uint32_t* size);
    Status setValue(std::int64_t key, std::string_view name, ValueType type, const void* data,
                    std::uint32_t size);
    Status deleteValue(std::int64_t key, std::string_view name);

    Status enumKey(std::int64_t key, std::uint32_t index, std::string& name);
    Status enumValue(std::int64_t key, std::uint32_t index, std::string& name, ValueType* type,
                     std::vector<std::byte>* data);
    Status queryInfo(std::int64_t key, std::uint32_t* subKeys, std::uint32_t* values);

    Status getSecurity(std::int64_t key, std::vector<std::byte>& descriptor);
    Status setSecurity(std::int64_t key, const std::vector<std::byte>& descriptor);

    explicit RegistryStore(std::filesystem::path file);

private:
    bool setUp(std::string& error);
    void prepare();
    void reportUnavailable(const std::string& reason);
    // kKeyDeleted when the key row is gone, else the given status.
    Status missingOr(std::int64_t key, Status status);
    Status writeFailure();
    // Drops the remembered reads when anything was committed since the last look.
    void refreshCache();
    bool beginWrite();
    void commit();
    void rollback();

    std::filesystem::path file_;
    std::string problem_;
    std::mutex mutex_;
    // Declared before the connection so that it is closed after it.
    WalChangeWatch watch_;
    SqliteDb db_;

    struct CachedValue {
        bool present = false;
        ValueType type = kTypeNone;
        std::vector<std::byte> data;
    };
    // Folded key path to key id (0: no such key); "id\folded name" to value.
    std::unordered_map<std::string, std::int64_t> keyCache_;
    std::unordered_map<std::string, CachedValue> valueCache_;

    SqliteStatement findKey_, keyExists_, insertKey_, childCount_;
    SqliteStatement findValue_, upsertValue_, removeValue_;
    SqliteStatement nthChild_, nthValue_, countValues_;
    SqliteStatement removeTreeValues_, removeTreeKeys_;
    SqliteStatement removeKeyValues_, removeKey_;
    SqliteStatement getSecurity_, setSecurity_;
    SqliteStatement begin_, commit_, rollback_;
};

}  // namespace veilport::registry
