// Key security descriptors are bytes read back from the settings store, which
// any program of the user can write: parsing must survive every shape, and
// what parses must come back the same after a write.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/registry/KeySecurity.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veilport::registry;
    SecurityDescriptor parsed;
    const std::span bytes(reinterpret_cast<const std::byte*>(data), size);
    if (!parseSecurityDescriptor(bytes, parsed)) return 0;
    SecurityDescriptor again;
    if (!parseSecurityDescriptor(serializeSecurityDescriptor(parsed), again) || !(again == parsed))
        std::abort();
    (void)formatSid(parsed.owner.value_or(Sid{}));
    return 0;
}
