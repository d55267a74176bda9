#include "proxypool/UpstreamPassword.h"

#include "platform/text/Ascii.h"

namespace veilport::proxypool {

secret::PasswordKey PasswordKeyOf(const Upstream& upstream) {
    // Host names do not care about case; the key must not either.
    return {std::string(SchemeName(upstream.scheme)), upstream.user.value_or(""),
            text::asciiLowered(upstream.host), upstream.port};
}

bool KeepPassword(const Upstream& upstream, secret::PasswordStore& passwords) {
    if (!upstream.user || !upstream.password) return true;
    return passwords.store(PasswordKeyOf(upstream), *upstream.password);
}

Upstream WithKeptPassword(Upstream upstream, secret::PasswordStore& passwords) {
    if (upstream.user && !upstream.password)
        upstream.password = passwords.lookup(PasswordKeyOf(upstream));
    return upstream;
}

}  // namespace veilport::proxypool
