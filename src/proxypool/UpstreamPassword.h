#pragma once

#include "platform/secret/PasswordStore.h"
#include "proxypool/Upstream.h"

namespace veilport::proxypool {

// What an upstream's password is kept under: scheme, user, host and port.
secret::PasswordKey PasswordKeyOf(const Upstream& upstream);

// Keeps the upstream's password, when it has a user and a password. False
// when there was one and it could not be kept.
[[nodiscard]] bool KeepPassword(const Upstream& upstream, secret::PasswordStore& passwords);

// The upstream with its kept password filled in, when it has a user and no
// password of its own yet.
Upstream WithKeptPassword(Upstream upstream, secret::PasswordStore& passwords);

}  // namespace veilport::proxypool
