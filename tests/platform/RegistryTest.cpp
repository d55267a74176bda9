#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <thread>

#include "support/ChildProcess.h"
#include "support/TempHome.h"

namespace veilport::registry {
namespace {

class RegistryTest : public ::testing::Test {
protected:
    KeyHandle create(std::string_view path, Root root = Root::LocalMachine) {
        KeyHandle key;
        EXPECT_EQ(createKey(root, path, kKeyWrite, key), kSuccess);
        return key;
    }
    Status setText(const KeyHandle& key, std::string_view name, const std::string& text) {
        return setValue(key, name, kTypeSz, text.c_str(), static_cast<std::uint32_t>(text.size() + 1));
    }
    Status setDword(const KeyHandle& key, std::string_view name, std::uint32_t value) {
        return setValue(key, name, kTypeDword, &value, sizeof(value));
    }
    std::uint32_t dword(const KeyHandle& key, std::string_view name) {
        std::uint32_t value = 0, size = sizeof(value);
        EXPECT_EQ(queryValue(key, name, nullptr, reinterpret_cast<std::byte*>(&value), &size), kSuccess);
        return value;
    }
    bool exists(std::string_view path, Root root = Root::LocalMachine) {
        KeyHandle key;
        return openKey(root, path, kKeyRead, key) == kSuccess;
    }

    testing::TempHome home;
};

TEST_F(RegistryTest, NamesMeetWithoutRegardToCaseAndKeepTheirFirstCase) {
    auto key = create("Software\\Veilport");
    ASSERT_EQ(setDword(key, "LocalPort", 8080), kSuccess);
    KeyHandle other;
    ASSERT_EQ(openKey(Root::LocalMachine, "SOFTWARE\\veilport", kKeyRead, other), kSuccess);
    EXPECT_EQ(dword(other, "localport"), 8080u);
    ASSERT_EQ(setDword(other, "LOCALPORT", 9090), kSuccess);
    EXPECT_EQ(dword(key, "LocalPort"), 9090u);

    std::string name;
    ASSERT_EQ(enumValue(key, 0, name, nullptr, nullptr), kSuccess);
    EXPECT_EQ(name, "LocalPort");
    KeyHandle software;
    ASSERT_EQ(openKey(Root::LocalMachine, "software", kKeyRead, software), kSuccess);
    ASSERT_EQ(enumKey(software, 0, name), kSuccess);
    EXPECT_EQ(name, "Veilport");
    // Empty segments are not keys of their own.
    EXPECT_TRUE(exists("\\Software\\\\Veilport\\"));
}

TEST_F(RegistryTest, HivesAreSeparate) {
    auto machine = create("Software\\Test");
    ASSERT_EQ(setDword(machine, "V", 1), kSuccess);
    EXPECT_FALSE(exists("Software\\Test", Root::CurrentUser));
    EXPECT_FALSE(exists("Software\\Test", Root::ClassesRoot));
}

TEST_F(RegistryTest, QueryFollowsTheBufferProtocol) {
    auto key = create("Software\\Veilport");
    ASSERT_EQ(setText(key, "ProxyName", "1.2.3.4:80"), kSuccess);

    ValueType type = kTypeNone;
    std::uint32_t size = 0;
    ASSERT_EQ(queryValue(key, "ProxyName", &type, nullptr, &size), kSuccess);
    EXPECT_EQ(type, kTypeSz);
    EXPECT_EQ(size, 11u);  // the terminator is stored

    std::byte small[4];
    size = sizeof(small);
    EXPECT_EQ(queryValue(key, "ProxyName", &type, small, &size), kMoreData);
    EXPECT_EQ(size, 11u);

    std::byte exact[11];
    size = sizeof(exact);
    ASSERT_EQ(queryValue(key, "ProxyName", &type, exact, &size), kSuccess);
    EXPECT_STREQ(reinterpret_cast<const char*>(exact), "1.2.3.4:80");

    EXPECT_EQ(queryValue(key, "Missing", &type, nullptr, &size), kFileNotFound);
}

TEST_F(RegistryTest, ValueOfEveryTypeRoundTripsAndReplacesAnyOldType) {
    auto key = create("Software\\Types");
    const std::byte blob[] = {std::byte{0}, std::byte{0xFF}, std::byte{0}, std::byte{7}};
    ASSERT_EQ(setValue(key, "Bin", kTypeBinary, blob, sizeof(blob)), kSuccess);
    ASSERT_EQ(setValue(key, "Empty", kTypeBinary, nullptr, 0), kSuccess);
    const char expand[] = "%TEMP%\\x";
    ASSERT_EQ(setValue(key, "Exp", kTypeExpandSz, expand, sizeof(expand)), kSuccess);

    std::byte out[8];
    std::uint32_t size = sizeof(out);
    ValueType type = kTypeNone;
    ASSERT_EQ(queryValue(key, "Bin", &type, out, &size), kSuccess);
    EXPECT_EQ(type, kTypeBinary);
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(std::memcmp(out, blob, 4), 0);
    size = sizeof(out);
    ASSERT_EQ(queryValue(key, "Empty", &type, out, &size), kSuccess);
    EXPECT_EQ(size, 0u);
    ASSERT_EQ(queryValue(key, "Exp", &type, nullptr, &size), kSuccess);
    EXPECT_EQ(type, kTypeExpandSz);

    ASSERT_EQ(setDword(key, "Bin", 5), kSuccess);
    ASSERT_EQ(queryValue(key, "Bin", &type, nullptr, &size), kSuccess);
    EXPECT_EQ(type, kTypeDword);
    EXPECT_EQ(size, 4u);
}

TEST_F(RegistryTest, CreateTellsWhetherTheKeyExisted) {
    KeyHandle key;
    Disposition disposition{};
    ASSERT_EQ(createKey(Root::LocalMachine, "A\\B\\C", kKeyWrite, key, &disposition), kSuccess);
    EXPECT_EQ(disposition, Disposition::CreatedNewKey);
    ASSERT_EQ(createKey(Root::LocalMachine, "a\\b\\c", kKeyWrite, key, &disposition), kSuccess);
    EXPECT_EQ(disposition, Disposition::OpenedExistingKey);
    ASSERT_EQ(createKey(Root::LocalMachine, "A\\B", kKeyWrite, key, &disposition), kSuccess);
    EXPECT_EQ(disposition, Disposition::OpenedExistingKey);
    EXPECT_EQ(openKey(Root::LocalMachine, "A\\X", kKeyRead, key), kFileNotFound);
}

TEST_F(RegistryTest, DeletingKeysAndTrees) {
    auto parent = create("Software\\Del");
    auto child = create("Software\\Del\\Child");
    ASSERT_EQ(setDword(child, "V", 1), kSuccess);
    create("Software\\Delta");        // shares the prefix "Del"
    create("Software\\Del]Sibling");  // sorts right after the tree's range
    auto sibling = create("Software\\Del Other");
    ASSERT_EQ(setDword(sibling, "Kept", 3), kSuccess);

    EXPECT_EQ(deleteKey(Root::LocalMachine, "Software\\Del"), kAccessDenied);
    EXPECT_TRUE(exists("Software\\Del\\Child"));
    EXPECT_EQ(deleteKey(Root::LocalMachine, "Software\\Missing"), kFileNotFound);
    EXPECT_EQ(deleteKey(Root::LocalMachine, ""), kAccessDenied);

    ASSERT_EQ(deleteTree(Root::LocalMachine, "SOFTWARE\\DEL"), kSuccess);
    EXPECT_FALSE(exists("Software\\Del"));
    EXPECT_FALSE(exists("Software\\Del\\Child"));
    EXPECT_TRUE(exists("Software\\Delta"));
    EXPECT_TRUE(exists("Software\\Del]Sibling"));
    EXPECT_EQ(dword(sibling, "Kept"), 3u);

    // A handle on a deleted key says so.
    std::uint32_t size = 0;
    EXPECT_EQ(queryValue(child, "V", nullptr, nullptr, &size), kKeyDeleted);
    EXPECT_EQ(setDword(child, "V", 2), kKeyDeleted);
    EXPECT_EQ(setDword(parent, "V", 2), kKeyDeleted);

    // A key without sub-keys goes with its values.
    auto leaf = create("Software\\Leaf");
    ASSERT_EQ(setDword(leaf, "V", 1), kSuccess);
    ASSERT_EQ(deleteKey(Root::LocalMachine, "Software\\Leaf"), kSuccess);
    auto again = create("Software\\Leaf");
    EXPECT_EQ(queryValue(again, "V", nullptr, nullptr, &size), kFileNotFound);
}

TEST_F(RegistryTest, EnumerationByIndex) {
    auto key = create("Software\\Enum");
    create("Software\\Enum\\beta");
    create("Software\\Enum\\Alpha");
    ASSERT_EQ(setDword(key, "Zed", 1), kSuccess);
    ASSERT_EQ(setDword(key, "Ann", 2), kSuccess);
    ASSERT_EQ(setDword(key, "zed", 3), kSuccess);  // same value, keeps its place

    std::string name;
    ASSERT_EQ(enumKey(key, 0, name), kSuccess);
    EXPECT_EQ(name, "Alpha");
    ASSERT_EQ(enumKey(key, 1, name), kSuccess);
    EXPECT_EQ(name, "beta");
    EXPECT_EQ(enumKey(key, 2, name), kNoMoreItems);

    ValueType type = kTypeNone;
    std::vector<std::byte> data;
    ASSERT_EQ(enumValue(key, 0, name, &type, &data), kSuccess);
    EXPECT_EQ(name, "Zed");
    ASSERT_EQ(data.size(), 4u);
    EXPECT_EQ(static_cast<int>(data[0]), 3);
    ASSERT_EQ(enumValue(key, 1, name, &type, &data), kSuccess);
    EXPECT_EQ(name, "Ann");
    EXPECT_EQ(enumValue(key, 2, name, &type, &data), kNoMoreItems);

    std::uint32_t subKeys = 0, values = 0;
    ASSERT_EQ(queryInfo(key, &subKeys, &values), kSuccess);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(values, 2u);

    ASSERT_EQ(deleteValue(key, "ZED"), kSuccess);
    EXPECT_EQ(deleteValue(key, "Zed"), kFileNotFound);
}

TEST_F(RegistryTest, KeySecurityIsKeptPerKey) {
    auto key = create("Software\\Secure");
    std::vector<std::byte> descriptor;
    ASSERT_EQ(getKeySecurity(key, descriptor), kSuccess);
    EXPECT_TRUE(descriptor.empty());
    const std::vector<std::byte> acl = {std::byte{1}, std::byte{2}, std::byte{3}};
    ASSERT_EQ(setKeySecurity(key, acl), kSuccess);
    KeyHandle again;
    ASSERT_EQ(openKey(Root::LocalMachine, "software\\secure", kKeyRead, again), kSuccess);
    ASSERT_EQ(getKeySecurity(again, descriptor), kSuccess);
    EXPECT_EQ(descriptor, acl);
}

// A cache of settings trusts an unchanged mark: it must move with every commit,
// this process's or another's, and with a store opened anew, and stay put
// while the store is only read.
TEST_F(RegistryTest, TheChangeMarkMovesWithEveryCommitAndOnlyThen) {
    const KeyHandle key = create("Software\\Veilport");
    ASSERT_EQ(setDword(key, "EnableJS", 0), kSuccess);
    const auto first = changeMark();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(dword(key, "EnableJS"), 0u);
    EXPECT_TRUE(exists("Software\\Veilport"));
    EXPECT_EQ(changeMark(), first);

    ASSERT_EQ(setDword(key, "EnableJS", 1), kSuccess);
    const auto afterOwnWrite = changeMark();
    EXPECT_NE(afterOwnWrite, first);

    auto other = veilport::testing::RunCommand(
        {veilport::testing::HelperPath("registry_writer"), "count", "Other", "1"});
    ASSERT_EQ(other.exitCode, 0) << other.err;
    const auto afterOtherWrite = changeMark();
    EXPECT_NE(afterOtherWrite, afterOwnWrite);

    resetProcessStore();
    const auto reopened = changeMark();
    ASSERT_TRUE(reopened.has_value());
    EXPECT_NE(reopened, afterOtherWrite);
    EXPECT_EQ(changeMark(), reopened);
}

TEST_F(RegistryTest, ManyThreadsLoseNothing) {
    constexpr int kThreads = 8;
    constexpr int kValues = 10000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            KeyHandle key;
            const std::string path = "Software\\Threads\\T" + std::to_string(t);
            ASSERT_EQ(createKey(Root::LocalMachine, path, kKeyWrite, key), kSuccess);
            for (std::uint32_t i = 0; i < kValues; ++i) {
                const std::string name = "v" + std::to_string(i);
                ASSERT_EQ(setValue(key, name, kTypeDword, &i, sizeof(i)), kSuccess);
                std::uint32_t back = ~0u, size = sizeof(back);
                ASSERT_EQ(queryValue(key, name, nullptr, reinterpret_cast<std::byte*>(&back), &size),
                          kSuccess);
                ASSERT_EQ(back, i);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) {
        KeyHandle key;
        ASSERT_EQ(openKey(Root::LocalMachine, "Software\\Threads\\T" + std::to_string(t), kKeyRead, key),
                  kSuccess);
        std::uint32_t values = 0;
        ASSERT_EQ(queryInfo(key, nullptr, &values), kSuccess);
        EXPECT_EQ(values, static_cast<std::uint32_t>(kValues));
    }
}

}  // namespace
}  // namespace veilport::registry
