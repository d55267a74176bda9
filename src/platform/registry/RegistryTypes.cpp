#include "platform/registry/RegistryTypes.h"

#include "platform/registry/KeyPath.h"

namespace veilport::registry {

std::string_view rootName(Root root) {
    switch (root) {
        case Root::LocalMachine: return "HKEY_LOCAL_MACHINE";
        case Root::CurrentUser: return "HKEY_CURRENT_USER";
        case Root::ClassesRoot: return "HKEY_CLASSES_ROOT";
    }
    return "";
}

bool parseRoot(std::string_view text, Root& out) {
    const std::string folded = foldName(text);
    if (folded == "hklm" || folded == "hkey_local_machine") out = Root::LocalMachine;
    else if (folded == "hkcu" || folded == "hkey_current_user") out = Root::CurrentUser;
    else if (folded == "hkcr" || folded == "hkey_classes_root") out = Root::ClassesRoot;
    else return false;
    return true;
}

std::string_view typeName(ValueType type) {
    switch (type) {
        case kTypeNone: return "REG_NONE";
        case kTypeSz: return "REG_SZ";
        case kTypeExpandSz: return "REG_EXPAND_SZ";
        case kTypeBinary: return "REG_BINARY";
        case kTypeDword: return "REG_DWORD";
        default: return "REG_UNKNOWN";
    }
}

}  // namespace veilport::registry
