#include "platform/registry/Registry.h"

#include <mutex>

#include "platform/home/VeilportHome.h"
#include "platform/registry/RegistryStore.h"

namespace veilport::registry {

namespace {

// The registry is a service of the system: one store per process, opened from
// the Veilport home on first use.
struct ProcessStore {
    std::mutex mutex;
    std::shared_ptr<RegistryStore> store;
    std::uint64_t opened = 0;  // how many stores were opened, this one included
};

ProcessStore& processStoreSlot() {
    static ProcessStore slot;
    return slot;
}

// `opened`, when given, tells which opening the store is.
std::shared_ptr<RegistryStore> processStore(std::uint64_t* opened = nullptr) {
    auto& slot = processStoreSlot();
    std::lock_guard lock(slot.mutex);
    if (!slot.store) {
        slot.store = RegistryStore::open(storePath());
        ++slot.opened;
    }
    if (opened) *opened = slot.opened;
    return slot.store;
}

RegistryStore* storeOf(const KeyHandle& key) {
    return key.isOpen() ? key.store() : nullptr;
}

}  // namespace

std::filesystem::path storePath() {
    return home::veilportHome() / "registry.db";
}

std::string storeProblem() { return processStore()->problem(); }

std::optional<ChangeMark> changeMark() {
    ChangeMark mark;
    // Which opening it is makes a store opened since (a new home) differ,
    // whatever its index holds.
    const auto store = processStore(&mark.store);
    if (!store->changeIndex(mark.index)) return std::nullopt;
    return mark;
}

void resetProcessStore() {
    auto& slot = processStoreSlot();
    std::shared_ptr<RegistryStore> old;
    std::lock_guard lock(slot.mutex);
    old.swap(slot.store);
}

Status openKey(Root root, std::string_view path, Access, KeyHandle& out) {
    auto store = processStore();
    std::int64_t id = 0;
    const Status status = store->openKey(root, path, id);
    if (status == kSuccess) out = KeyHandle(std::move(store), root, id);
    return status;
}

Status createKey(Root root, std::string_view path, Access, KeyHandle& out,
                 Disposition* disposition) {
    auto store = processStore();
    std::int64_t id = 0;
    const Status status = store->createKey(root, path, id, disposition);
    if (status == kSuccess) out = KeyHandle(std::move(store), root, id);
    return status;
}

Status closeKey(KeyHandle& key) {
    key = KeyHandle();
    return kSuccess;
}

Status queryValue(const KeyHandle& key, std::string_view name, ValueType* type, std::byte* data,
                  std::uint32_t* size) {
    auto* store = storeOf(key);
    return store ? store->queryValue(key.id(), name, type, data, size) : kInvalidParameter;
}

Status setValue(const KeyHandle& key, std::string_view name, ValueType type, const void* data,
                std::uint32_t size) {
    auto* store = storeOf(key);
    return store ? store->setValue(key.id(), name, type, data, size) : kInvalidParameter;
}

Status deleteValue(const KeyHandle& key, std::string_view name) {
    auto* store = storeOf(key);
    return store ? store->deleteValue(key.id(), name) : kInvalidParameter;
}

Status deleteKey(Root root, std::string_view path) {
    return processStore()->deleteKey(root, path, false);
}

Status deleteTree(Root root, std::string_view path) {
    return processStore()->deleteKey(root, path, true);
}

Status enumKey(const KeyHandle& key, std::uint32_t index, std::string& name) {
    auto* store = storeOf(key);
    return store ? store->enumKey(key.id(), index, name) : kInvalidParameter;
}

Status enumValue(const KeyHandle& key, std::uint32_t index, std::string& name, ValueType* type,
                 std::vector<std::byte>* data) {
    auto* store = storeOf(key);
    return store ? store->enumValue(key.id(), index, name, type, data) : kInvalidParameter;
}

Status queryInfo(const KeyHandle& key, std::uint32_t* subKeys, std::uint32_t* values) {
    auto* store = storeOf(key);
    return store ? store->queryInfo(key.id(), subKeys, values) : kInvalidParameter;
}

Status getKeySecurity(const KeyHandle& key, std::vector<std::byte>& descriptor) {
    auto* store = storeOf(key);
    return store ? store->getSecurity(key.id(), descriptor) : kInvalidParameter;
}

Status setKeySecurity(const KeyHandle& key, const std::vector<std::byte>& descriptor) {
    auto* store = storeOf(key);
    return store ? store->setSecurity(key.id(), descriptor) : kInvalidParameter;
}

}  // namespace veilport::registry
