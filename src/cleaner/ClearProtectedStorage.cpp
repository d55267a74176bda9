#include "cleaner/ClearProtectedStorage.h"

#include <optional>

namespace veilport::cleaner {

namespace {

using namespace veilport::registry;

constexpr std::string_view kProviderKey =
    "Software\\Microsoft\\Protected Storage System Provider\\";
constexpr std::string_view kFormsSubKey = "\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";
constexpr std::size_t kMaxKeyNameLength = 260;
// Deeper keys are left unopened: a tree built to be deep must not exhaust the stack.
constexpr int kMaxKeyDepth = 128;

std::string keyText(Root root, const std::string& path) {
    return std::string(rootName(root)) + "\\" + path;
}

// Sets the list on the key and on every key below it, parents first.
void openUpTree(PassContext& context, const std::string& path, const SecurityDescriptor& dacl,
                int depth) {
    if (context.stop.stop_requested()) return;
    (void)context.system.setKeyDacl(Root::CurrentUser, path, dacl);
    if (depth >= kMaxKeyDepth) return;
    KeyHandle key;
    if (openKey(Root::CurrentUser, path, kKeyRead, key) != kSuccess) return;
    std::string name;
    for (std::uint32_t index = 0; enumKey(key, index, name) == kSuccess; ++index) {
        if (name.size() > kMaxKeyNameLength) continue;
        openUpTree(context, path + "\\" + name, dacl, depth + 1);
    }
}

void deleteFormsKey(PassContext& context, Root root, const std::string& path) {
    if (context.dryRun) {
        if (context.system.keyExists(root, path))
            context.observer.removed(RemovedKind::RegistryKey, keyText(root, path));
        return;
    }
    if (context.system.deleteKeyTree(root, path) == kSuccess)
        context.observer.removed(RemovedKind::RegistryKey, keyText(root, path));
}

void clearForUserSid(PassContext& context) {
    Sid user;
    if (!context.system.getProcessUserSid(user)) return;
    const std::string provider = ProtectedStorageProviderKey(formatSid(user));
    const std::string forms = ProtectedStorageFormsKey(formatSid(user));
    if (context.dryRun) {
        deleteFormsKey(context, Root::CurrentUser, forms);
        return;
    }
    std::optional<SecurityDescriptor> saved;
    if (SecurityDescriptor old;
        context.system.getKeyDacl(Root::CurrentUser, provider, old) == kSuccess)
        saved = std::move(old);

    constexpr std::uint8_t inherit = kObjectInheritAce | kContainerInheritAce;
    SecurityDescriptor open;
    open.dacl = Acl{kAclRevision,
                    {Ace{kAccessAllowedAceType, inherit, kKeyAllAccess, user},
                     Ace{kAccessAllowedAceType, inherit, kKeyAllAccess, localSystemSid()}}};
    (void)context.system.setKeyDacl(Root::CurrentUser, provider, open);
    (void)context.system.setKeyDacl(Root::CurrentUser, provider + "\\Data", open);
    openUpTree(context, forms, open, 0);
    deleteFormsKey(context, Root::CurrentUser, forms);

    if (saved) (void)context.system.setKeyDacl(Root::CurrentUser, provider, *saved);
}

}  // namespace

std::string ProtectedStorageProviderKey(const std::string& name) {
    return std::string(kProviderKey) + name;
}

std::string ProtectedStorageFormsKey(const std::string& name) {
    return ProtectedStorageProviderKey(name) + std::string(kFormsSubKey);
}

void ClearProtectedStorage(PassContext& context) {
    shell::OsVersionInfo version;
    if (context.system.getVersionEx(version) && version.platformId == shell::PlatformId::Win32NT)
        clearForUserSid(context);
    std::string logonName;
    if (context.stop.stop_requested() || !context.system.getUserName(logonName)) return;
    deleteFormsKey(context, Root::LocalMachine, ProtectedStorageFormsKey(logonName));
}

}  // namespace veilport::cleaner
