#pragma once

#include <string>

#include "cleaner/PassContext.h"

namespace veilport::cleaner {

// The AutoComplete forms task. The form data sits in a key that its owner has
// locked down: on a system of the NT family the key of the user's SID is
// opened up (an access list granting everything to the user and to the local
// system account, set on the provider key, its Data key and every key of the
// form-data tree), the tree is deleted, and the provider key gets its old list
// back. On every system the per-logon-name copy under HKEY_LOCAL_MACHINE is
// deleted too.
void ClearProtectedStorage(PassContext& context);

// The key paths the task works on, for a SID text or a logon name.
std::string ProtectedStorageProviderKey(const std::string& name);
std::string ProtectedStorageFormsKey(const std::string& name);

}  // namespace veilport::cleaner
