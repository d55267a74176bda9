#include <gtest/gtest.h>

#include "cleaner/CleanerFixtures.h"
#include "cleaner/ClearProtectedStorage.h"
#include "platform/shell/UserName.h"
#include "support/TempHome.h"

namespace veilport::cleaner {
namespace {

using namespace testing;
using namespace veilport::registry;

// The real system, with every security and deletion step written down, and a
// family of its own choosing.
class RecordingSystem : public CleanerSystem {
public:
    bool getVersionEx(shell::OsVersionInfo& out) override {
        out.platformId = platform;
        return true;
    }
    Status getKeyDacl(Root root, std::string_view path, SecurityDescriptor& out) override {
        steps.push_back("get " + std::string(path));
        return CleanerSystem::getKeyDacl(root, path, out);
    }
    Status setKeyDacl(Root root, std::string_view path, const SecurityDescriptor& d) override {
        steps.push_back(std::string(d == opened ? "open " : "restore ") + std::string(path));
        return CleanerSystem::setKeyDacl(root, path, d);
    }
    Status deleteKeyTree(Root root, std::string_view path) override {
        steps.push_back(std::string(root == Root::LocalMachine ? "delete HKLM " : "delete ") +
                        std::string(path));
        return CleanerSystem::deleteKeyTree(root, path);
    }

    shell::PlatformId platform = shell::PlatformId::Win32NT;
    SecurityDescriptor opened;
    std::vector<std::string> steps;
};

class ClearProtectedStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        Sid user;
        ASSERT_TRUE(getProcessUserSid(user));
        sid = formatSid(user);
        provider = ProtectedStorageProviderKey(sid);
        forms = ProtectedStorageFormsKey(sid);
        ASSERT_TRUE(shell::getUserName(logon));
        constexpr std::uint8_t inherit = kObjectInheritAce | kContainerInheritAce;
        system.opened.dacl =
            Acl{kAclRevision,
                {Ace{kAccessAllowedAceType, inherit, kKeyAllAccess, user},
                 Ace{kAccessAllowedAceType, inherit, kKeyAllAccess, localSystemSid()}}};
        setDword(Root::CurrentUser, forms + "\\a\\a1", "v", 1);
        setDword(Root::CurrentUser, forms + "\\b", "v", 1);
        setDword(Root::CurrentUser, provider + "\\Data\\other", "v", 1);
        setDword(Root::LocalMachine, ProtectedStorageFormsKey(logon), "v", 1);
    }
    void run() {
        PassContext context{observer, system, false, {}};
        ClearProtectedStorage(context);
    }
    SecurityDescriptor daclOf(const std::string& path) {
        KeyHandle key;
        SecurityDescriptor d;
        EXPECT_EQ(openKey(Root::CurrentUser, path, kKeyRead, key), kSuccess);
        EXPECT_EQ(getKeySecurity(key, kDaclSecurityInformation, d), kSuccess);
        return d;
    }

    veilport::testing::TempHome home;
    RecordingSystem system;
    RecordingObserver observer;
    std::string sid, provider, forms, logon;
};

TEST_F(ClearProtectedStorageTest, OpensTheTreeDeletesItAndRestoresTheSavedList) {
    // The provider key's own list, which must come back as it was.
    SecurityDescriptor original;
    original.owner = localSystemSid();
    original.dacl = Acl{kAclRevision, {Ace{kAccessDeniedAceType, 0, 0x10000, localSystemSid()}}};
    KeyHandle key;
    ASSERT_EQ(openKey(Root::CurrentUser, provider, kKeyWrite, key), kSuccess);
    ASSERT_EQ(setKeySecurity(key, kOwnerSecurityInformation | kDaclSecurityInformation, original),
              kSuccess);

    run();

    const std::vector<std::string> expected = {
        "get " + provider,
        "open " + provider,
        "open " + provider + "\\Data",
        "open " + forms,
        "open " + forms + "\\a",
        "open " + forms + "\\a\\a1",
        "open " + forms + "\\b",
        "delete " + forms,
        "restore " + provider,
        "delete HKLM " + ProtectedStorageFormsKey(logon),
    };
    EXPECT_EQ(system.steps, expected);
    EXPECT_TRUE(sid.starts_with("S-1-5-21-"));
    EXPECT_EQ(daclOf(provider), (SecurityDescriptor{std::nullopt, std::nullopt, original.dacl}));
    KeyHandle again;
    ASSERT_EQ(openKey(Root::CurrentUser, provider, kKeyRead, again), kSuccess);
    SecurityDescriptor whole;
    ASSERT_EQ(getKeySecurity(again, kOwnerSecurityInformation, whole), kSuccess);
    EXPECT_EQ(whole.owner, original.owner);
    // The Data key keeps the opened list; its other sub-keys stay.
    EXPECT_EQ(daclOf(provider + "\\Data"), system.opened);
    EXPECT_TRUE(keyExists(Root::CurrentUser, provider + "\\Data\\other"));
    EXPECT_FALSE(keyExists(Root::CurrentUser, forms));
    EXPECT_FALSE(keyExists(Root::LocalMachine, ProtectedStorageFormsKey(logon)));
}

TEST_F(ClearProtectedStorageTest, AProviderKeyWithoutAListGetsNoneBack) {
    run();
    EXPECT_EQ(system.steps.back(), "delete HKLM " + ProtectedStorageFormsKey(logon));
    EXPECT_EQ(system.steps[system.steps.size() - 2], "restore " + provider);
    EXPECT_FALSE(daclOf(provider).dacl.has_value());
}

TEST_F(ClearProtectedStorageTest, AMissingProviderKeyIsNotRestored) {
    ASSERT_EQ(deleteTree(Root::CurrentUser, provider), kSuccess);
    run();
    for (const auto& step : system.steps) EXPECT_FALSE(step.starts_with("restore")) << step;
    EXPECT_FALSE(keyExists(Root::CurrentUser, provider));
}

TEST_F(ClearProtectedStorageTest, OutsideTheNtFamilyOnlyTheLogonNameKeyGoes) {
    system.platform = shell::PlatformId::Win32Windows;
    run();
    EXPECT_EQ(system.steps,
              (std::vector<std::string>{"delete HKLM " + ProtectedStorageFormsKey(logon)}));
    EXPECT_TRUE(keyExists(Root::CurrentUser, forms));
}

}  // namespace
}  // namespace veilport::cleaner
