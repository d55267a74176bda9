#pragma once

// The registry stand-in: hives of keys and typed values kept in one SQLite file
// (registry.db in the Veilport home), shared by every thread and process of the
// user. The calls mirror the system registry's so the code above reads as it
// would there: status codes instead of exceptions, buffers with a size in and out.
//
// Key and value names are compared without regard to ASCII case and keep the
// case they were first written with. Key paths use backslashes; empty segments
// are ignored. Each call is atomic on its own.
//
// When the store cannot be opened (a home that cannot be created, a read-only or
// corrupt file), reads answer kFileNotFound so that settings fall back to their
// defaults, writes answer kAccessDenied, and one line naming the file goes to
// stderr.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/RegistryTypes.h"
#include "platform/registry/WalChangeWatch.h"

namespace veilport::registry {

class RegistryStore;

// An open key. It owns nothing of the system's: copying is cheap, and a key
// deleted meanwhile answers kKeyDeleted. A default-built handle is no key.
class KeyHandle {
public:
    KeyHandle() = default;
    KeyHandle(std::shared_ptr<RegistryStore> store, Root root, std::int64_t id)
        : store_(std::move(store)), root_(root), id_(id) {}

    bool isOpen() const { return store_ != nullptr; }
    Root root() const { return root_; }
    RegistryStore* store() const { return store_.get(); }
    std::int64_t id() const { return id_; }

private:
    std::shared_ptr<RegistryStore> store_;
    Root root_ = Root::LocalMachine;
    std::int64_t id_ = 0;
};

// Opens an existing key; kFileNotFound when it is absent. An empty path opens the root.
[[nodiscard]] Status openKey(Root root, std::string_view path, Access access, KeyHandle& out);

// Creates the key and any missing parents, or opens it when it exists; tells which.
[[nodiscard]] Status createKey(Root root, std::string_view path, Access access, KeyHandle& out,
                               Disposition* disposition = nullptr);

// Drops the handle. Always succeeds; kept for the shape of the calls.
Status closeKey(KeyHandle& key);

// Reads a value. With data null only type and size are given. When size is
// smaller than the value, answers kMoreData and puts the size needed in *size.
[[nodiscard]] Status queryValue(const KeyHandle& key, std::string_view name, ValueType* type,
                                std::byte* data, std::uint32_t* size);

// Stores a value, replacing any value of that name whatever its type.
[[nodiscard]] Status setValue(const KeyHandle& key, std::string_view name, ValueType type,
                              const void* data, std::uint32_t size);

[[nodiscard]] Status deleteValue(const KeyHandle& key, std::string_view name);

// Deletes one key; kAccessDenied while it has sub-keys. The root cannot be deleted.
[[nodiscard]] Status deleteKey(Root root, std::string_view path);

// Deletes the key with all its sub-keys and values.
[[nodiscard]] Status deleteTree(Root root, std::string_view path);

// Sub-keys in order of their folded names; values in the order they were first
// written. kNoMoreItems past the last.
[[nodiscard]] Status enumKey(const KeyHandle& key, std::uint32_t index, std::string& name);
[[nodiscard]] Status enumValue(const KeyHandle& key, std::uint32_t index, std::string& name,
                               ValueType* type, std::vector<std::byte>* data);

// Number of sub-keys and values.
[[nodiscard]] Status queryInfo(const KeyHandle& key, std::uint32_t* subKeys,
                               std::uint32_t* values);

// The security descriptor of a key, kept as opaque bytes for the key-security
// stand-in; empty when none was ever set.
[[nodiscard]] Status getKeySecurity(const KeyHandle& key, std::vector<std::byte>& descriptor);
[[nodiscard]] Status setKeySecurity(const KeyHandle& key, const std::vector<std::byte>& descriptor);

// The process's store is opened on first use from the Veilport home of that
// moment. Tests that change VEILPORT_HOME call this so the next use opens the
// new home; handles already given out keep the old store alive.
void resetProcessStore();

// Why the process's store cannot be used, opening it first when need be;
// empty when it can. Its path is storePath().
[[nodiscard]] std::string storeProblem();

// Path of the store file of the current home.
std::filesystem::path storePath();

// A look at whether anything was committed to the process's store since an
// earlier look, by this process or any other: equal marks mean nothing was.
// Empty when the store's change index cannot be seen, and then every look must
// count as a change. It reads no file and takes only the brief lock that hands
// out the process's store, so a cache of a few settings may check it on every
// use.
struct ChangeMark {
    std::uint64_t store = 0;  // which opening of the process's store
    WalChangeWatch::Header index{};
    bool operator==(const ChangeMark&) const = default;
};
[[nodiscard]] std::optional<ChangeMark> changeMark();

}  // namespace veilport::registry
