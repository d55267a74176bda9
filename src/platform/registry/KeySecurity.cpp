#include "platform/registry/KeySecurity.h"

#include <unistd.h>

#include <fstream>

namespace veilport::registry {

namespace {

constexpr std::uint16_t kDaclPresent = 0x0004;
constexpr std::uint16_t kSelfRelative = 0x8000;
constexpr std::size_t kHeaderSize = 20;
constexpr std::size_t kAclHeaderSize = 8;
constexpr std::size_t kAceHeaderSize = 8;  // type, flags, size, mask

class Writer {
public:
    void u8(std::uint8_t v) { bytes.push_back(static_cast<std::byte>(v)); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void put32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::byte>(v >> (8 * i));
    }
    void put16(std::size_t at, std::uint16_t v) {
        bytes[at] = static_cast<std::byte>(v);
        bytes[at + 1] = static_cast<std::byte>(v >> 8);
    }
    void sid(const Sid& s) {
        u8(s.revision);
        u8(static_cast<std::uint8_t>(s.subAuthorities.size()));
        for (std::uint8_t b : s.identifierAuthority) u8(b);
        for (std::uint32_t sub : s.subAuthorities) u32(sub);
    }
    std::vector<std::byte> bytes;
};

std::size_t sidSize(const Sid& s) {
    return 8 + 4 * s.subAuthorities.size();
}

class Reader {
public:
    explicit Reader(std::span<const std::byte> bytes) : bytes_(bytes) {}
    bool has(std::size_t at, std::size_t count) const {
        return at <= bytes_.size() && count <= bytes_.size() - at;
    }
    std::uint8_t u8(std::size_t at) const { return static_cast<std::uint8_t>(bytes_[at]); }
    std::uint16_t u16(std::size_t at) const {
        return static_cast<std::uint16_t>(u8(at) | (u8(at + 1) << 8));
    }
    std::uint32_t u32(std::size_t at) const {
        return static_cast<std::uint32_t>(u16(at)) |
               (static_cast<std::uint32_t>(u16(at + 2)) << 16);
    }
    // A SID at `at` that must end by `limit`.
    bool sid(std::size_t at, std::size_t limit, Sid& out, std::size_t& size) const {
        if (limit > bytes_.size() || !has(at, 8) || at + 8 > limit) return false;
        const std::size_t count = u8(at + 1);
        if (count > Sid::kMaxSubAuthorities) return false;
        size = 8 + 4 * count;
        if (at + size > limit) return false;
        out.revision = u8(at);
        for (std::size_t i = 0; i < 6; ++i) out.identifierAuthority[i] = u8(at + 2 + i);
        out.subAuthorities.clear();
        for (std::size_t i = 0; i < count; ++i) out.subAuthorities.push_back(u32(at + 8 + 4 * i));
        return true;
    }
    bool acl(std::size_t at, Acl& out) const {
        if (!has(at, kAclHeaderSize)) return false;
        const std::size_t size = u16(at + 2);
        const std::size_t count = u16(at + 4);
        if (size < kAclHeaderSize || !has(at, size)) return false;
        out.revision = u8(at);
        out.aces.clear();
        std::size_t pos = at + kAclHeaderSize;
        const std::size_t end = at + size;
        for (std::size_t i = 0; i < count; ++i) {
            if (pos + kAceHeaderSize > end) return false;
            Ace ace;
            ace.type = u8(pos);
            ace.flags = u8(pos + 1);
            const std::size_t aceSize = u16(pos + 2);
            if (ace.type != kAccessAllowedAceType && ace.type != kAccessDeniedAceType) return false;
            if (aceSize < kAceHeaderSize + 8 || pos + aceSize > end) return false;
            ace.mask = u32(pos + 4);
            std::size_t used = 0;
            if (!sid(pos + kAceHeaderSize, pos + aceSize, ace.sid, used)) return false;
            out.aces.push_back(std::move(ace));
            pos += aceSize;
        }
        return true;
    }

private:
    std::span<const std::byte> bytes_;
};

// Reads the machine id as the three parts a machine SID has.
bool machineParts(std::uint32_t parts[3]) {
    parts[0] = parts[1] = parts[2] = 0;
    std::ifstream file("/etc/machine-id");
    std::string id;
    if (!(file >> id) || id.size() < 24) return false;
    for (int i = 0; i < 3; ++i) {
        std::uint32_t value = 0;
        for (int j = 0; j < 8; ++j) {
            const char c = id[static_cast<std::size_t>(i * 8 + j)];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) return false;
            value = value << 4 | static_cast<std::uint32_t>(digit);
        }
        parts[i] = value;
    }
    return true;
}

void merge(SecurityDescriptor& target, SecurityInformation which,
           const SecurityDescriptor& source) {
    if (which & kOwnerSecurityInformation) target.owner = source.owner;
    if (which & kGroupSecurityInformation) target.group = source.group;
    if (which & kDaclSecurityInformation) target.dacl = source.dacl;
}

}  // namespace

Sid localSystemSid() {
    return Sid{1, {0, 0, 0, 0, 0, 5}, {18}};
}

bool getProcessUserSid(Sid& out) {
    std::uint32_t parts[3];
    if (!machineParts(parts)) parts[0] = parts[1] = parts[2] = 0;
    out = Sid{1, {0, 0, 0, 0, 0, 5}, {21, parts[0], parts[1], parts[2], geteuid()}};
    return true;
}

std::string formatSid(const Sid& sid) {
    std::string text = "S-1-" + std::to_string(sid.identifierAuthority[5]);
    for (std::uint32_t sub : sid.subAuthorities) text += "-" + std::to_string(sub);
    return text;
}

std::vector<std::byte> serializeSecurityDescriptor(const SecurityDescriptor& descriptor) {
    if (descriptor.empty()) return {};
    Writer w;
    w.u8(1);
    w.u8(0);
    w.u16(static_cast<std::uint16_t>(kSelfRelative | (descriptor.dacl ? kDaclPresent : 0)));
    for (int i = 0; i < 4; ++i) w.u32(0);  // owner, group, sacl, dacl offsets
    if (descriptor.owner) {
        w.put32(4, static_cast<std::uint32_t>(w.bytes.size()));
        w.sid(*descriptor.owner);
    }
    if (descriptor.group) {
        w.put32(8, static_cast<std::uint32_t>(w.bytes.size()));
        w.sid(*descriptor.group);
    }
    if (descriptor.dacl) {
        const std::size_t start = w.bytes.size();
        w.put32(16, static_cast<std::uint32_t>(start));
        w.u8(descriptor.dacl->revision);
        w.u8(0);
        w.u16(0);  // size, filled in below
        w.u16(static_cast<std::uint16_t>(descriptor.dacl->aces.size()));
        w.u16(0);
        for (const Ace& ace : descriptor.dacl->aces) {
            w.u8(ace.type);
            w.u8(ace.flags);
            w.u16(static_cast<std::uint16_t>(kAceHeaderSize + sidSize(ace.sid)));
            w.u32(ace.mask);
            w.sid(ace.sid);
        }
        w.put16(start + 2, static_cast<std::uint16_t>(w.bytes.size() - start));
    }
    return w.bytes;
}

bool parseSecurityDescriptor(std::span<const std::byte> bytes, SecurityDescriptor& out) {
    out = SecurityDescriptor{};
    if (bytes.empty()) return true;
    const Reader r(bytes);
    if (!r.has(0, kHeaderSize) || r.u8(0) != 1) return false;
    const std::uint16_t control = r.u16(2);
    if (!(control & kSelfRelative)) return false;
    const std::size_t owner = r.u32(4);
    const std::size_t group = r.u32(8);
    const std::size_t dacl = r.u32(16);
    std::size_t used = 0;
    if (owner != 0) {
        Sid sid;
        if (!r.sid(owner, bytes.size(), sid, used)) return false;
        out.owner = std::move(sid);
    }
    if (group != 0) {
        Sid sid;
        if (!r.sid(group, bytes.size(), sid, used)) return false;
        out.group = std::move(sid);
    }
    // A present list at offset zero is the system's null list; it grants
    // everything, which is what a key with no list at all means here.
    if ((control & kDaclPresent) && dacl != 0) {
        Acl acl;
        if (!r.acl(dacl, acl)) return false;
        out.dacl = std::move(acl);
    }
    return true;
}

Status getKeySecurity(const KeyHandle& key, SecurityInformation which, SecurityDescriptor& out) {
    std::vector<std::byte> bytes;
    if (const Status status = getKeySecurity(key, bytes); status != kSuccess) return status;
    SecurityDescriptor stored;
    if (!parseSecurityDescriptor(bytes, stored)) return kCantRead;
    out = SecurityDescriptor{};
    merge(out, which, stored);
    return kSuccess;
}

Status setKeySecurity(const KeyHandle& key, SecurityInformation which,
                      const SecurityDescriptor& descriptor) {
    std::vector<std::byte> bytes;
    if (const Status status = getKeySecurity(key, bytes); status != kSuccess) return status;
    SecurityDescriptor stored;
    if (!parseSecurityDescriptor(bytes, stored)) stored = SecurityDescriptor{};
    merge(stored, which, descriptor);
    return setKeySecurity(key, serializeSecurityDescriptor(stored));
}

}  // namespace veilport::registry
