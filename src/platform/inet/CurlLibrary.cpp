#include "platform/inet/CurlLibrary.h"

#include <dlfcn.h>

#include <optional>

namespace veilport::inet {

namespace {

// The soname of the libcurl ABI the headers describe.
constexpr const char* kLibraryName = "libcurl.so.4";

struct Opened {
    std::optional<CurlLibrary> library;
    std::string problem;
};

template <typename Function>
bool Resolve(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(handle, name));
    return function != nullptr;
}

Opened Open() {
    Opened opened;
    // Never closed: the library's global state lives as long as the process,
    // and handles made on other threads may still be in use.
    void* handle = ::dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* error = ::dlerror();
        opened.problem = error != nullptr ? error : std::string(kLibraryName) + " cannot be opened";
        return opened;
    }
    CurlLibrary library{};
    decltype(&::curl_global_init) globalInit = nullptr;
    const bool all = Resolve(handle, "curl_global_init", globalInit) &&
                     Resolve(handle, "curl_easy_init", library.easyInit) &&
                     Resolve(handle, "curl_easy_cleanup", library.easyCleanup) &&
                     Resolve(handle, "curl_easy_setopt", library.easySetopt) &&
                     Resolve(handle, "curl_easy_perform", library.easyPerform) &&
                     Resolve(handle, "curl_easy_getinfo", library.easyGetinfo) &&
                     Resolve(handle, "curl_easy_strerror", library.easyStrerror) &&
                     Resolve(handle, "curl_slist_append", library.slistAppend) &&
                     Resolve(handle, "curl_slist_free_all", library.slistFreeAll) &&
                     Resolve(handle, "curl_url", library.url) &&
                     Resolve(handle, "curl_url_cleanup", library.urlCleanup) &&
                     Resolve(handle, "curl_url_set", library.urlSet) &&
                     Resolve(handle, "curl_url_get", library.urlGet) &&
                     Resolve(handle, "curl_free", library.free);
    if (!all) {
        opened.problem = std::string(kLibraryName) + " is too old: a function is missing";
        return opened;
    }
    if (globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        opened.problem = std::string(kLibraryName) + " could not be initialised";
        return opened;
    }
    opened.library = library;
    return opened;
}

}  // namespace

const CurlLibrary* curlLibrary(std::string* problem) {
    // Opened once, by whichever thread asks first; read-only afterwards.
    static const Opened opened = Open();
    if (!opened.library && problem != nullptr) *problem = opened.problem;
    return opened.library ? &*opened.library : nullptr;
}

}  // namespace veilport::inet
