#include "platform/registry/RegistryStore.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <system_error>

#include "platform/registry/KeyPath.h"

namespace veilport::registry {

namespace {

// Remembered reads are dropped wholesale past this many, so a process that
// reads many distinct values never grows without bound.
constexpr std::size_t kCacheLimit = 4096;

std::string ValueCacheKey(std::int64_t key, std::string_view name) {
    return std::to_string(key) + '\\' + foldName(name);
}

}  // namespace

RegistryStore::RegistryStore(std::filesystem::path file) : file_(std::move(file)) {}

bool RegistryStore::beginWrite() {
    return begin_.run() == SQLITE_DONE;
}

void RegistryStore::commit() {
    if (commit_.run() != SQLITE_DONE) rollback();
}

void RegistryStore::rollback() {
    if (!sqlite3_get_autocommit(db_.get())) rollback_.run();
}

Status RegistryStore::writeFailure() {
    rollback();
    return kAccessDenied;
}

void RegistryStore::refreshCache() {
    if (watch_.changed() || keyCache_.size() + valueCache_.size() > kCacheLimit) {
        keyCache_.clear();
        valueCache_.clear();
    }
}

Status RegistryStore::missingOr(std::int64_t key, Status status) {
    StatementUse exists(keyExists_);
    exists->bind(1, key);
    return exists->step() == SQLITE_ROW ? status : kKeyDeleted;
}

Status RegistryStore::openKey(Root root, std::string_view path, std::int64_t& id) {
    std::lock_guard lock(mutex_);
    if (!available()) return kFileNotFound;
    refreshCache();
    std::string folded = KeyPath(root, path).folded();
    if (const auto hit = keyCache_.find(folded); hit != keyCache_.end()) {
        if (hit->second == 0) return kFileNotFound;
        id = hit->second;
        return kSuccess;
    }
    StatementUse find(findKey_);
    find->bind(1, folded);
    const int rc = find->step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return kFileNotFound;
    const std::int64_t found = rc == SQLITE_ROW ? find->columnInt(0) : 0;
    keyCache_.emplace(std::move(folded), found);
    if (found == 0) return kFileNotFound;
    id = found;
    return kSuccess;
}

Status RegistryStore::createKey(Root root, std::string_view path, std::int64_t& id,
                                Disposition* disposition) {
    const KeyPath keyPath(root, path);
    std::lock_guard lock(mutex_);
    if (!available()) return kAccessDenied;
    if (!beginWrite()) return writeFailure();
    // Walk down from the hive, creating what is missing; names keep the case of
    // the caller that created them.
    std::int64_t parent = static_cast<std::int64_t>(root) + 1;
    bool created = false;
    for (std::size_t depth = 1; depth <= keyPath.depth(); ++depth) {
        const std::string folded = keyPath.folded(depth);
        std::int64_t found = 0;
        {
            StatementUse find(findKey_);
            find->bind(1, folded);
            const int rc = find->step();
            if (rc == SQLITE_ROW)
                found = find->columnInt(0);
            else if (rc != SQLITE_DONE)
                return writeFailure();
        }
        if (found == 0) {
            StatementUse insert(insertKey_);
            insert->bind(1, parent).bind(2, keyPath.segment(depth - 1)).bind(3, folded);
            if (insert->step() != SQLITE_DONE) return writeFailure();
            found = sqlite3_last_insert_rowid(db_.get());
            created = depth == keyPath.depth();
        }
        parent = found;
    }
    commit();
    if (!sqlite3_get_autocommit(db_.get())) return writeFailure();
    id = parent;
    if (disposition)
        *disposition = created ? Disposition::CreatedNewKey : Disposition::OpenedExistingKey;
    return kSuccess;
}

Status RegistryStore::deleteKey(Root root, std::string_view path, bool withTree) {
    const KeyPath keyPath(root, path);
    std::lock_guard lock(mutex_);
    if (!available()) return kAccessDenied;
    if (keyPath.depth() == 0) return kAccessDenied;  // a hive is never deleted
    if (!beginWrite()) return writeFailure();
    const std::string folded = keyPath.folded();
    std::int64_t id = 0;
    {
        StatementUse find(findKey_);
        find->bind(1, folded);
        const int rc = find->step();
        if (rc == SQLITE_DONE) {
            rollback();
            return kFileNotFound;
        }
        if (rc != SQLITE_ROW) return writeFailure();
        id = find->columnInt(0);
    }
    if (withTree) {
        StatementUse values(removeTreeValues_);
        values->bind(1, folded);
        if (values->step() != SQLITE_DONE) return writeFailure();
        StatementUse keys(removeTreeKeys_);
        keys->bind(1, folded);
        if (keys->step() != SQLITE_DONE) return writeFailure();
    } else {
        {
            StatementUse children(childCount_);
            children->bind(1, id);
            if (children->step() != SQLITE_ROW) return writeFailure();
            if (children->columnInt(0) > 0) {
                rollback();
                return kAccessDenied;
            }
        }
        StatementUse values(removeKeyValues_);
        values->bind(1, id);
        if (values->step() != SQLITE_DONE) return writeFailure();
        StatementUse key(removeKey_);
        key->bind(1, id);
        if (key->step() != SQLITE_DONE) return writeFailure();
    }
    commit();
    return sqlite3_get_autocommit(db_.get()) ? kSuccess : writeFailure();
}

Status RegistryStore::queryValue(std::int64_t key, std::string_view name, ValueType* type,
                                 std::byte* data, std::uint32_t* size) {
    std::lock_guard lock(mutex_);
    if (!available()) return kFileNotFound;
    refreshCache();
    std::string cacheKey = ValueCacheKey(key, name);
    auto hit = valueCache_.find(cacheKey);
    if (hit == valueCache_.end()) {
        StatementUse find(findValue_);
        find->bind(1, key).bind(2, foldName(name));
        const int rc = find->step();
        if (rc == SQLITE_DONE) {
            // A key deleted under the handle is not remembered as a missing value.
            const Status status = missingOr(key, kFileNotFound);
            if (status == kFileNotFound) valueCache_.emplace(std::move(cacheKey), CachedValue{});
            return status;
        }
        if (rc != SQLITE_ROW) return kFileNotFound;
        const auto blob = find->columnBlob(1);
        CachedValue value{true, static_cast<ValueType>(find->columnInt(0)),
                          std::vector<std::byte>(blob.begin(), blob.end())};
        hit = valueCache_.emplace(std::move(cacheKey), std::move(value)).first;
    }
    const CachedValue& value = hit->second;
    if (!value.present) return kFileNotFound;
    if (type) *type = value.type;
    const auto needed = static_cast<std::uint32_t>(value.data.size());
    if (data == nullptr) {
        if (size) *size = needed;
        return kSuccess;
    }
    if (size == nullptr) return kInvalidParameter;
    if (*size < needed) {
        *size = needed;
        return kMoreData;
    }
    if (needed > 0) std::memcpy(data, value.data.data(), needed);
    *size = needed;
    return kSuccess;
}

Status RegistryStore::setValue(std::int64_t key, std::string_view name, ValueType type,
                               const void* data, std::uint32_t size) {
    if (data == nullptr && size > 0) return kInvalidParameter;
    std::lock_guard lock(mutex_);
    if (!available()) return kAccessDenied;
    StatementUse upsert(upsertValue_);
    upsert->bind(1, key).bind(2, name).bind(3, foldName(name)).bind(4, std::int64_t{type});
    upsert->bindBlob(5, {static_cast<const std::byte*>(data), size});
    if (upsert->step() != SQLITE_DONE) return kAccessDenied;
    return sqlite3_changes(db_.get()) == 0 ? kKeyDeleted : kSuccess;
}

Status RegistryStore::deleteValue(std::int64_t key, std::string_view name) {
    std::lock_guard lock(mutex_);
    if (!available()) return kAccessDenied;
    StatementUse remove(removeValue_);
    remove->bind(1, key).bind(2, foldName(name));
    if (remove->step() != SQLITE_DONE) return kAccessDenied;
    return sqlite3_changes(db_.get()) == 0 ? missingOr(key, kFileNotFound) : kSuccess;
}

Status RegistryStore::enumKey(std::int64_t key, std::uint32_t index, std::string& name) {
    std::lock_guard lock(mutex_);
    if (!available()) return kFileNotFound;
    StatementUse nth(nthChild_);
    nth->bind(1, key).bind(2, std::int64_t{index});
    if (nth->step() != SQLITE_ROW) return missingOr(key, kNoMoreItems);
    name = nth->columnText(0);
    return kSuccess;
}

Status RegistryStore::enumValue(std::int64_t key, std::uint32_t index, std::string& name,
                                ValueType* type, std::vector<std::byte>* data) {
    std::lock_guard lock(mutex_);
    if (!available()) return kFileNotFound;
    StatementUse nth(nthValue_);
    nth->bind(1, key).bind(2, std::int64_t{index});
    if (nth->step() != SQLITE_ROW) return missingOr(key, kNoMoreItems);
    name = nth->columnText(0);
    if (type) *type = static_cast<ValueType>(nth->columnInt(1));
    if (data) {
        const auto blob = nth->columnBlob(2);
        data->assign(blob.begin(), blob.end());
    }
    return kSuccess;
}

Status RegistryStore::queryInfo(std::int64_t key, std::uint32_t* subKeys, std::uint32_t* values) {
    std::lock_guard lock(mutex_);
    if (!available()) return kFileNotFound;
    if (missingOr(key, kSuccess) != kSuccess) return kKeyDeleted;
    if (subKeys) {
        StatementUse count(childCount_);
        count->bind(1, key);
        if (count->step() != SQLITE_ROW) return kCantRead;
        *subKeys = static_cast<std::uint32_t>(count->columnInt(0));
    }
    if (values) {
        StatementUse count(countValues_);
        count->bind(1, key);
        if (count->step() != SQLITE_ROW) return kCantRead;
        *values = static_cast<std::uint32_t>(count->columnInt(0));
    }
    return kSuccess;
}

Status RegistryStore::getSecurity(std::int64_t key, std::vector<std::byte>& descriptor) {
    std::lock_guard lock(mutex_);
    if (!available()) return kFileNotFound;
    StatementUse get(getSecurity_);
    get->bind(1, key);
    if (get->step() != SQLITE_ROW) return kKeyDeleted;
    const auto blob = get->columnBlob(0);
    descriptor.assign(blob.begin(), blob.end());
    return kSuccess;
}

Status RegistryStore::setSecurity(std::int64_t key, const std::vector<std::byte>& descriptor) {
    std::lock_guard lock(mutex_);
    if (!available()) return kAccessDenied;
    StatementUse set(setSecurity_);
    set->bind(1, key).bindBlob(2, descriptor);
    if (set->step() != SQLITE_DONE) return kAccessDenied;
    return sqlite3_changes(db_.get()) == 0 ? kKeyDeleted : kSuccess;
}

}  // namespace veilport::registry
