#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/registry/KeySecurity.h"
#include "support/TempHome.h"

namespace veilport::registry {
namespace {

Sid userSid() {
    return Sid{1, {0, 0, 0, 0, 0, 5}, {21, 1, 2, 3, 1001}};
}

SecurityDescriptor fullDescriptor() {
    SecurityDescriptor d;
    d.owner = userSid();
    d.group = localSystemSid();
    d.dacl = Acl{kAclRevision,
                 {Ace{kAccessAllowedAceType, kObjectInheritAce | kContainerInheritAce,
                      kKeyAllAccess, userSid()},
                  Ace{kAccessDeniedAceType, 0, 0x10000, localSystemSid()}}};
    return d;
}

TEST(SidText, UsesTheLastAuthorityByteAndEverySubAuthority) {
    EXPECT_EQ(formatSid(localSystemSid()), "S-1-5-18");
    EXPECT_EQ(formatSid(userSid()), "S-1-5-21-1-2-3-1001");
    // Only the last byte of the authority is printed, and the revision never.
    EXPECT_EQ(formatSid(Sid{2, {0, 0, 0, 0, 1, 16}, {4294967295u}}), "S-1-16-4294967295");
    EXPECT_EQ(formatSid(Sid{1, {0, 0, 0, 0, 0, 1}, {}}), "S-1-1");

    Sid process;
    ASSERT_TRUE(getProcessUserSid(process));
    EXPECT_EQ(process.subAuthorities.size(), 5u);
    EXPECT_EQ(process.subAuthorities.back(), geteuid());
    Sid again;
    ASSERT_TRUE(getProcessUserSid(again));
    EXPECT_EQ(process, again);
}

TEST(SecurityDescriptorBytes, RoundTripsInTheSystemsLayout) {
    const auto bytes = serializeSecurityDescriptor(fullDescriptor());
    ASSERT_GE(bytes.size(), 20u);
    EXPECT_EQ(bytes[0], std::byte{1});
    EXPECT_EQ(bytes[3], std::byte{0x80});  // self-relative
    SecurityDescriptor back;
    ASSERT_TRUE(parseSecurityDescriptor(bytes, back));
    EXPECT_EQ(back, fullDescriptor());

    EXPECT_TRUE(serializeSecurityDescriptor({}).empty());
    ASSERT_TRUE(parseSecurityDescriptor({}, back));
    EXPECT_TRUE(back.empty());
}

TEST(SecurityDescriptorBytes, RefusesEveryMalformedShape) {
    const auto good = serializeSecurityDescriptor(fullDescriptor());
    std::vector<std::vector<std::byte>> broken;
    for (std::size_t cut : std::vector<std::size_t>{1, 19, 20, 27, good.size() - 1})
        broken.emplace_back(good.begin(), good.begin() + static_cast<long>(cut));
    auto patched = [&](std::size_t at, std::uint8_t value) {
        auto copy = good;
        copy[at] = std::byte{value};
        return copy;
    };
    broken.push_back(patched(0, 2));      // descriptor revision
    broken.push_back(patched(3, 0));      // not self-relative
    broken.push_back(patched(7, 0x7f));   // owner offset far outside
    broken.push_back(patched(19, 0x7f));  // list offset far outside
    broken.push_back(patched(21, 16));    // owner with 16 sub-authorities
    const std::size_t acl = static_cast<std::size_t>(good[16]);
    broken.push_back(patched(acl + 2, 0xff));  // list longer than the bytes
    broken.push_back(patched(acl + 4, 9));     // more entries than the list holds
    broken.push_back(patched(acl + 8, 7));     // an entry type we do not know
    broken.push_back(patched(acl + 10, 4));    // an entry shorter than its SID
    for (const auto& bytes : broken) {
        SecurityDescriptor out;
        EXPECT_FALSE(parseSecurityDescriptor(bytes, out)) << bytes.size();
    }
}

TEST(KeySecurityOnTheStore, ReplacesOnlyThePartsNamedAndKeepsTheRest) {
    veilport::testing::TempHome home;
    KeyHandle key;
    ASSERT_EQ(createKey(Root::CurrentUser, "Software\\Test", kKeyAllAccess, key), kSuccess);
    SecurityDescriptor read;
    ASSERT_EQ(getKeySecurity(key, kDaclSecurityInformation, read), kSuccess);
    EXPECT_TRUE(read.empty());

    ASSERT_EQ(
        setKeySecurity(key, kOwnerSecurityInformation | kDaclSecurityInformation, fullDescriptor()),
        kSuccess);
    SecurityDescriptor onlyDacl;
    onlyDacl.dacl = Acl{kAclRevision, {}};
    ASSERT_EQ(setKeySecurity(key, kDaclSecurityInformation, onlyDacl), kSuccess);

    ASSERT_EQ(getKeySecurity(key, kOwnerSecurityInformation | kDaclSecurityInformation, read),
              kSuccess);
    EXPECT_EQ(read.owner, userSid());
    EXPECT_FALSE(read.group.has_value());  // never set, and not asked for
    EXPECT_EQ(read.dacl, onlyDacl.dacl);

    // Damaged bytes read as an error, and are replaced whole by the next set.
    ASSERT_EQ(setKeySecurity(key, std::vector<std::byte>{std::byte{9}}), kSuccess);
    EXPECT_EQ(getKeySecurity(key, kDaclSecurityInformation, read), kCantRead);
    ASSERT_EQ(setKeySecurity(key, kDaclSecurityInformation, onlyDacl), kSuccess);
    ASSERT_EQ(getKeySecurity(key, kDaclSecurityInformation, read), kSuccess);
    EXPECT_EQ(read.dacl, onlyDacl.dacl);
}

}  // namespace
}  // namespace veilport::registry
