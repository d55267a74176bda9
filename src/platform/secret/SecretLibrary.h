#pragma once

// libsecret, opened on first use. Linked into the program, libsecret and the
// GIO, GObject and libgcrypt it brings in are mapped and partly resident from
// the window's first moment, although most sessions never keep a password; opened
// here, they come with the first password asked for or kept.

#include <libsecret/secret.h>

#include <string>

namespace veilport::secret {

// The functions of libsecret (and of the GLib it stands on) this program calls.
struct SecretLibrary {
    decltype(&::secret_password_store_sync) passwordStoreSync;
    decltype(&::secret_password_lookup_sync) passwordLookupSync;
    decltype(&::secret_password_clear_sync) passwordClearSync;
    decltype(&::secret_password_free) passwordFree;
    decltype(&::secret_service_get_sync) serviceGetSync;
    decltype(&::g_error_free) errorFree;
    decltype(&::g_object_unref) objectUnref;
};

// The library, opened once for the whole process (it stays open until the
// process ends; any thread may call). Null when it cannot be opened, and then
// `problem` (when given) says why.
[[nodiscard]] const SecretLibrary* secretLibrary(std::string* problem = nullptr);

}  // namespace veilport::secret
