#include "platform/secret/SecretLibrary.h"

#include <dlfcn.h>

#include <optional>

namespace veilport::secret {

namespace {

// The soname of the libsecret ABI the headers describe.
constexpr const char* kLibraryName = "libsecret-1.so.0";

struct Opened {
    std::optional<SecretLibrary> library;
    std::string problem;
};

// Looked up in libsecret and the libraries it brought in (GLib, GObject).
template <typename Function>
bool Resolve(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(handle, name));
    return function != nullptr;
}

Opened Open() {
    Opened opened;
    // Never closed: GLib's types and the D-Bus connection libsecret keeps live
    // as long as the process.
    void* handle = ::dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* error = ::dlerror();
        opened.problem = error != nullptr ? error : std::string(kLibraryName) + " cannot be opened";
        return opened;
    }
    SecretLibrary library{};
    const bool all = Resolve(handle, "secret_password_store_sync", library.passwordStoreSync) &&
                     Resolve(handle, "secret_password_lookup_sync", library.passwordLookupSync) &&
                     Resolve(handle, "secret_password_clear_sync", library.passwordClearSync) &&
                     Resolve(handle, "secret_password_free", library.passwordFree) &&
                     Resolve(handle, "secret_service_get_sync", library.serviceGetSync) &&
                     Resolve(handle, "g_error_free", library.errorFree) &&
                     Resolve(handle, "g_object_unref", library.objectUnref);
    if (!all) {
        opened.problem = std::string(kLibraryName) + " is too old: a function is missing";
        return opened;
    }
    opened.library = library;
    return opened;
}

}  // namespace

const SecretLibrary* secretLibrary(std::string* problem) {
    // Opened once, by whichever thread asks first; read-only afterwards.
    static const Opened opened = Open();
    if (!opened.library && problem != nullptr) *problem = opened.problem;
    return opened.library ? &*opened.library : nullptr;
}

}  // namespace veilport::secret
