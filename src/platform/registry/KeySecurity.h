#pragma once

// Access lists on registry keys. The registry store keeps one security
// descriptor per key as opaque bytes; this is the structure inside them, in the
// system's self-relative binary layout, and the calls that read and replace
// parts of it. The store enforces nothing: the lists are kept so that code
// that saves, changes and restores them behaves as it would on the system.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/registry/Registry.h"

namespace veilport::registry {

struct Sid {
    std::uint8_t revision = 1;
    std::array<std::uint8_t, 6> identifierAuthority{};
    std::vector<std::uint32_t> subAuthorities;  // at most kMaxSubAuthorities

    static constexpr std::size_t kMaxSubAuthorities = 15;
    bool operator==(const Sid&) const = default;
};

// The local system account, S-1-5-18.
Sid localSystemSid();

// The user of this process as a SID of the NT authority (S-1-5-21-a-b-c-uid):
// the three middle parts come from the machine id, so the same user id gives
// the same SID on one machine and different ones on different machines. When
// the machine id cannot be read they are zero, which is still one stable SID
// for the user, so this always succeeds; the result keeps the system's shape.
[[nodiscard]] bool getProcessUserSid(Sid& out);

// "S-1-" and the last byte of the identifier authority, then "-" and each
// sub-authority in decimal.
std::string formatSid(const Sid& sid);

inline constexpr std::uint8_t kAclRevision = 2;
inline constexpr std::uint8_t kAccessAllowedAceType = 0;
inline constexpr std::uint8_t kAccessDeniedAceType = 1;
inline constexpr std::uint8_t kObjectInheritAce = 0x01;
inline constexpr std::uint8_t kContainerInheritAce = 0x02;

struct Ace {
    std::uint8_t type = kAccessAllowedAceType;
    std::uint8_t flags = 0;
    std::uint32_t mask = 0;
    Sid sid;
    bool operator==(const Ace&) const = default;
};

struct Acl {
    std::uint8_t revision = kAclRevision;
    std::vector<Ace> aces;
    bool operator==(const Acl&) const = default;
};

// What a key's descriptor holds; an absent part was never set.
struct SecurityDescriptor {
    std::optional<Sid> owner;
    std::optional<Sid> group;
    std::optional<Acl> dacl;
    bool operator==(const SecurityDescriptor&) const = default;
    bool empty() const { return !owner && !group && !dacl; }
};

// Parts of a descriptor a call reads or replaces, numbered as the system does.
using SecurityInformation = std::uint32_t;
inline constexpr SecurityInformation kOwnerSecurityInformation = 0x1;
inline constexpr SecurityInformation kGroupSecurityInformation = 0x2;
inline constexpr SecurityInformation kDaclSecurityInformation = 0x4;

// The self-relative layout; an empty descriptor is zero bytes, as the store
// keeps a key that never had one.
std::vector<std::byte> serializeSecurityDescriptor(const SecurityDescriptor& descriptor);
// Zero bytes parse as an empty descriptor. False for anything malformed:
// offsets or sizes outside the bytes, a SID with too many parts, an entry type
// other than access-allowed or access-denied.
[[nodiscard]] bool parseSecurityDescriptor(std::span<const std::byte> bytes,
                                           SecurityDescriptor& out);

// The parts of the key's descriptor named by `which`; the others stay absent.
// kCantRead when the stored bytes are damaged.
[[nodiscard]] Status getKeySecurity(const KeyHandle& key, SecurityInformation which,
                                    SecurityDescriptor& out);
// Replaces the parts named by `which` with those of `descriptor` (absent there
// means removed) and keeps the rest. Stored bytes that cannot be read are
// replaced as a whole.
[[nodiscard]] Status setKeySecurity(const KeyHandle& key, SecurityInformation which,
                                    const SecurityDescriptor& descriptor);

}  // namespace veilport::registry
