#include "cleaner/CleanerSystem.h"

#include "platform/shell/UserName.h"

namespace veilport::cleaner {

using namespace veilport::registry;

bool CleanerSystem::getVersionEx(shell::OsVersionInfo& out) {
    return shell::getVersionEx(out);
}

bool CleanerSystem::getProcessUserSid(Sid& out) {
    return registry::getProcessUserSid(out);
}

bool CleanerSystem::getUserName(std::string& out) {
    return shell::getUserName(out);
}

Status CleanerSystem::getKeyDacl(Root root, std::string_view path, SecurityDescriptor& out) {
    KeyHandle key;
    if (const Status status = openKey(root, path, kKeyRead, key); status != kSuccess) return status;
    return getKeySecurity(key, kDaclSecurityInformation, out);
}

Status CleanerSystem::setKeyDacl(Root root, std::string_view path, const SecurityDescriptor& dacl) {
    KeyHandle key;
    if (const Status status = openKey(root, path, kKeyWrite, key); status != kSuccess)
        return status;
    return setKeySecurity(key, kDaclSecurityInformation, dacl);
}

Status CleanerSystem::deleteKeyTree(Root root, std::string_view path) {
    return deleteTree(root, path);
}

bool CleanerSystem::keyExists(Root root, std::string_view path) {
    KeyHandle key;
    return openKey(root, path, kKeyRead, key) == kSuccess;
}

}  // namespace veilport::cleaner
