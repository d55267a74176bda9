#include <gtest/gtest.h>

#include "platform/registry/Registry.h"
#include "settings/DwordSetting.h"
#include "settings/RegistryKey.h"
#include "settings/SettingPath.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

using registry::Root;

TEST(SettingPathTest, Splitting) {
    struct Case {
        const char* path;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"Software\\Veilport\\UseProxy", "Software\\Veilport", "UseProxy"},
        {"\\Software\\Veilport\\HideHint", "Software\\Veilport", "HideHint"},
        {"\\\\\\Software\\Veilport\\\\\\HideHint", "Software\\Veilport", "HideHint"},
        {"Software\\Veilport\\Setari\\AutoClean", "Software\\Veilport\\Setari", "AutoClean"},
        {"UseProxy", "", "UseProxy"},
        {"\\UseProxy", "", "UseProxy"},
        {"Software\\Veilport\\", "Software\\Veilport", ""},
        {"", "", ""},
        {"\\\\", "", ""},
    };
    for (const auto& c : cases) {
        const auto split = SettingPath::split(c.path);
        EXPECT_EQ(split.keyPath, c.key) << c.path;
        EXPECT_EQ(split.valueName, c.value) << c.path;
    }
}

class SettingsTest : public ::testing::Test {
protected:
    testing::TempHome home;
};

TEST_F(SettingsTest, AbsentDwordGivesItsDefaultAndReadsAgainEachTime) {
    DwordSetting port(settings::kLocalPort);
    EXPECT_FALSE(port.valid());
    EXPECT_EQ(port.get(), 8080u);
    EXPECT_EQ(port.get(), 8080u);
    // Not valid, so the next get goes to the store and sees another writer.
    DwordSetting writer(settings::kLocalPort);
    writer.set(8181);
    EXPECT_EQ(port.get(), 8181u);
    EXPECT_TRUE(port.valid());
    // Once valid, the object keeps its own cache.
    writer.set(8282);
    EXPECT_EQ(port.get(), 8181u);
    EXPECT_EQ(DwordSetting(settings::kLocalPort).get(), 8282u);
}

TEST_F(SettingsTest, SetComparesWithTheCacheNotTheStore) {
    DwordSetting useProxy(settings::kUseProxy);
    useProxy.set(0);  // equal to the fresh cache: nothing is written
    EXPECT_FALSE(useProxy.valid());
    EXPECT_FALSE(DwordSetting(settings::kUseProxy).valid());
    EXPECT_EQ(DwordSetting(settings::kLocalPort).get(), 8080u);

    DwordSetting port(settings::kLocalPort);
    port.set(0);
    EXPECT_EQ(DwordSetting(settings::kLocalPort).get(), 8080u);
    port.write();  // callers that must store regardless
    EXPECT_EQ(DwordSetting(settings::kLocalPort).get(), 0u);

    DwordSetting a(settings::kEnableJS);
    a.set(1);
    DwordSetting(settings::kEnableJS).set(0);
    a.set(1);  // equal to a's cache: the other writer's 0 stands
    EXPECT_EQ(DwordSetting(settings::kEnableJS).get(), 0u);
}

TEST_F(SettingsTest, StringSetWritesOnlyWhatDiffersIncludingLetterCase) {
    StringSetting name(settings::kProxyName);
    name.set("1.2.3.4:80");
    StringSetting other(settings::kProxyName);
    EXPECT_EQ(other.get(), "1.2.3.4:80");
    other.set("5.6.7.8:3128");
    name.set("1.2.3.4:80");  // same as name's cache
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "5.6.7.8:3128");

    StringSetting host(settings::kLastDomain);
    host.set("example.com");
    host.set("Example.com");
    EXPECT_EQ(StringSetting(settings::kLastDomain).get(), "Example.com");
}

TEST_F(SettingsTest, EmptyTextIsAValueNotTheDefault) {
    StringSetting writer("Software\\Veilport\\Blank", "fallback");
    writer.write();  // the cache starts empty, so set("") would write nothing
    StringSetting reader("Software\\Veilport\\Blank", "fallback");
    EXPECT_TRUE(reader.valid());
    EXPECT_EQ(reader.get(), "");
    EXPECT_EQ(StringSetting("Software\\Veilport\\Absent", "fallback").get(), "fallback");
}

TEST_F(SettingsTest, LeadingBackslashNamesTheSameValue) {
    DwordSetting(settings::kHideHint).set(1);
    EXPECT_EQ(DwordSetting("Software\\Veilport\\HideHint", 0).get(), 1u);
    EXPECT_EQ(DwordSetting("software\\VEILPORT\\hidehint", 0).get(), 1u);
}

TEST_F(SettingsTest, DwordReadTakesShortValuesIntoTheLowBytesAndRefusesLongOnes) {
    RegistryKey key(Root::LocalMachine, "Software\\Veilport");
    ASSERT_EQ(key.createKey(), registry::kSuccess);
    const unsigned char two[] = {0x34, 0x12};
    ASSERT_EQ(registry::setValue(key.handle(), "Short", registry::kTypeBinary, two, 2),
              registry::kSuccess);
    const char text[] = "a long text";
    ASSERT_EQ(registry::setValue(key.handle(), "Long", registry::kTypeSz, text, sizeof(text)),
              registry::kSuccess);

    DwordSetting shortValue("Software\\Veilport\\Short", 7);
    EXPECT_EQ(shortValue.get(), 0x1234u);
    DwordSetting longValue("Software\\Veilport\\Long", 7);
    EXPECT_EQ(longValue.get(), 7u);
    EXPECT_FALSE(longValue.valid());
}

TEST_F(SettingsTest, StringReadStopsAtTheTerminator) {
    RegistryKey key(Root::LocalMachine, "Software\\Veilport");
    ASSERT_EQ(key.createKey(), registry::kSuccess);
    const char text[] = "abc\0def";
    ASSERT_EQ(registry::setValue(key.handle(), "Embedded", registry::kTypeSz, text, sizeof(text)),
              registry::kSuccess);
    EXPECT_EQ(StringSetting("Software\\Veilport\\Embedded", "").get(), "abc");
}

TEST_F(SettingsTest, RegistryKeyStatusCodes) {
    RegistryKey key(Root::CurrentUser, std::string(settings::kInternetSettingsKey));
    ASSERT_EQ(key.createKey(), registry::kSuccess);
    ASSERT_EQ(key.setDword("EnableAutodial", 1), registry::kSuccess);
    std::uint32_t value = 0;
    ASSERT_EQ(key.getDword("enableautodial", value), registry::kSuccess);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(key.getDword("Missing", value), registry::kFileNotFound);

    std::string text;
    EXPECT_EQ(key.getString("EnableAutodial", text), registry::kCantRead);
    StringSetting("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Proxy", "",
                  Root::CurrentUser)
        .set("host:80");
    EXPECT_EQ(key.getDword("Proxy", value), registry::kMoreData);  // longer than a DWORD
    ASSERT_EQ(key.getString("Proxy", text), registry::kSuccess);
    EXPECT_EQ(text, "host:80");

    // Exactly the buffer with its terminator fits; one more character does not.
    const std::string fits(RegistryKey::kStringBufferSize - 1, 'x');
    ASSERT_EQ(registry::setValue(key.handle(), "Fits", registry::kTypeSz, fits.c_str(),
                                 static_cast<std::uint32_t>(fits.size() + 1)),
              registry::kSuccess);
    ASSERT_EQ(key.getString("Fits", text), registry::kSuccess);
    EXPECT_EQ(text, fits);
    const std::string tooLong(RegistryKey::kStringBufferSize, 'x');
    ASSERT_EQ(registry::setValue(key.handle(), "TooLong", registry::kTypeSz, tooLong.c_str(),
                                 static_cast<std::uint32_t>(tooLong.size() + 1)),
              registry::kSuccess);
    EXPECT_EQ(key.getString("TooLong", text), registry::kMoreData);
}

TEST_F(SettingsTest, ExistsElseRemoveLeavesNothingBehind) {
    RegistryKey probe(Root::LocalMachine, "Software\\Mozilla\\Mozilla Firefox\\Extra");
    EXPECT_FALSE(probe.existsElseRemove());
    EXPECT_FALSE(probe.isOpen());
    registry::KeyHandle key;
    EXPECT_EQ(registry::openKey(Root::LocalMachine, "Software\\Mozilla", registry::kKeyRead, key),
              registry::kFileNotFound);
    // Keys that were there before the probe stay.
    EXPECT_EQ(registry::openKey(Root::LocalMachine, "Software", registry::kKeyRead, key),
              registry::kFileNotFound);
    RegistryKey software(Root::LocalMachine, "Software\\Other");
    ASSERT_EQ(software.createKey(), registry::kSuccess);
    RegistryKey again(Root::LocalMachine, "Software\\Mozilla\\Firefox");
    EXPECT_FALSE(again.existsElseRemove());
    EXPECT_EQ(registry::openKey(Root::LocalMachine, "Software\\Other", registry::kKeyRead, key),
              registry::kSuccess);

    RegistryKey present(Root::LocalMachine, "Software\\Other");
    EXPECT_TRUE(present.existsElseRemove());
    EXPECT_TRUE(present.isOpen());
}

TEST_F(SettingsTest, KeyPathIsCutToItsBuffer) {
    const std::string longPath = "Software\\" + std::string(200, 'k');
    RegistryKey key(Root::LocalMachine, longPath);
    EXPECT_EQ(key.subKeyPath().size(), RegistryKey::kPathBufferSize - 1);
    RegistryKey deleter(Root::LocalMachine, "Software\\Gone");
    ASSERT_EQ(deleter.createKey(), registry::kSuccess);
    EXPECT_EQ(deleter.deleteKey(), registry::kSuccess);
    EXPECT_EQ(deleter.deleteKey(), registry::kFileNotFound);
}

}  // namespace
}  // namespace veilport
