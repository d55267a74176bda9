#include "platform/secret/SecretServicePasswords.h"

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/secret/SecretLibrary.h"

namespace veilport::secret {

namespace {

const SecretSchema* ProxySchema() {
    static const SecretSchema schema = {"org.veilport.ProxyPassword",
                                        SECRET_SCHEMA_NONE,
                                        {
                                            {"scheme", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                            {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                            {"host", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                            {"port", SECRET_SCHEMA_ATTRIBUTE_INTEGER},
                                            {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
                                        },
                                        0,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr};
    return &schema;
}

struct ErrorFree {
    void operator()(GError* error) const { secretLibrary()->errorFree(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

struct PasswordFree {
    void operator()(gchar* password) const { secretLibrary()->passwordFree(password); }
};

// A session bus to ask. Without one GLib would try to start a bus of its own
// (dbus-launch), which a command-line run or a test must never do.
bool HasSessionBus() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && *runtime && ::access((std::string(runtime) + "/bus").c_str(), F_OK) == 0;
}

// The library when there is a session bus to ask through it; otherwise
// nothing is opened at all.
const SecretLibrary* Reachable() {
    return HasSessionBus() ? secretLibrary() : nullptr;
}

}  // namespace

bool SecretServicePasswords::store(const PasswordKey& key, std::string_view password) {
    const SecretLibrary* secret = Reachable();
    if (secret == nullptr) return false;
    GError* raw = nullptr;
    const std::string label = "Veilport proxy " + key.scheme + "://" + key.user + "@" + key.host +
                              ":" + std::to_string(key.port);
    const std::string text(password);
    const gboolean stored = secret->passwordStoreSync(
        ProxySchema(), SECRET_COLLECTION_DEFAULT, label.c_str(), text.c_str(), nullptr, &raw,
        "scheme", key.scheme.c_str(), "user", key.user.c_str(), "host", key.host.c_str(), "port",
        static_cast<int>(key.port), nullptr);
    ErrorPtr error(raw);
    return stored && !error;
}

std::optional<std::string> SecretServicePasswords::lookup(const PasswordKey& key) {
    const SecretLibrary* secret = Reachable();
    if (secret == nullptr) return std::nullopt;
    GError* raw = nullptr;
    std::unique_ptr<gchar, PasswordFree> found(secret->passwordLookupSync(
        ProxySchema(), nullptr, &raw, "scheme", key.scheme.c_str(), "user", key.user.c_str(),
        "host", key.host.c_str(), "port", static_cast<int>(key.port), nullptr));
    ErrorPtr error(raw);
    if (error || !found) return std::nullopt;
    return std::string(found.get());
}

void SecretServicePasswords::remove(const PasswordKey& key) {
    const SecretLibrary* secret = Reachable();
    if (secret == nullptr) return;
    GError* raw = nullptr;
    (void)secret->passwordClearSync(ProxySchema(), nullptr, &raw, "scheme", key.scheme.c_str(),
                                     "user", key.user.c_str(), "host", key.host.c_str(), "port",
                                     static_cast<int>(key.port), nullptr);
    ErrorPtr error(raw);
}

bool SecretServicePasswords::available() {
    const SecretLibrary* secret = Reachable();
    if (secret == nullptr) return false;
    GError* raw = nullptr;
    SecretService* service = secret->serviceGetSync(SECRET_SERVICE_NONE, nullptr, &raw);
    ErrorPtr error(raw);
    if (!service) return false;
    secret->objectUnref(service);
    return !error;
}

}  // namespace veilport::secret
