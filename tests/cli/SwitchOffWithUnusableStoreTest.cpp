#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "browsers/BrowserTestUtil.h"
#include "browsers/ConnectionSwitch.h"
#include "platform/desktop/SwitchJournal.h"
#include "platform/registry/Registry.h"
#include "services/Anonymity.h"
#include "services/PoolServices.h"
#include "support/ChildProcess.h"
#include "support/PoolFakes.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

namespace fs = std::filesystem;

// A session ended with anonymity on (Firefox pointed at the Gateway), then the
// settings store was damaged: UseProxy now reads as its default, off. The
// switch journal still says what Firefox held, and it alone must be enough to
// take Firefox off the dead Gateway. The system proxy, kept in that same
// store, cannot be written: that is said, never passed over.
class SwitchOffWithUnusableStore : public ::testing::Test {
protected:
    void SetUp() override {
        registry::resetProcessStore();
        testing::StoreDword(settings::kBrowserFireFox, 1);
        testing::StoreDword(settings::kUseProxy, 1);
        testing::WriteFile(prefs(), kUsersOwn);
        ASSERT_TRUE(browsers::SetConnectionOptions("127.0.0.1:8080").allDone());
        ASSERT_NE(testing::ReadFile(prefs()), kUsersOwn);

        const fs::path store = home.veilportHome() / "registry.db";
        registry::resetProcessStore();
        for (const char* side : {"-wal", "-shm"}) fs::remove(store.string() + side);
        std::ofstream(store, std::ios::binary | std::ios::trunc) << std::string(8192, '!');
        registry::resetProcessStore();
    }
    void TearDown() override { registry::resetProcessStore(); }

    fs::path prefs() const { return home.path() / "home/.mozilla/firefox/a.default/prefs.js"; }

    static constexpr const char* kUsersOwn =
        "user_pref(\"network.proxy.type\", 4);\nuser_pref(\"a\", 1);\n";
    testing::TempHome home;
};

TEST_F(SwitchOffWithUnusableStore, AnonymityOffFromTheCommandLinePutsFirefoxBack) {
    const auto result = testing::RunCommand({testing::VeilportctlPath(), "anonymity", "off"});
    EXPECT_EQ(testing::ReadFile(prefs()), kUsersOwn);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_NE(result.err.find("the settings store refused the change"), std::string::npos)
        << result.err;
    EXPECT_FALSE(fs::exists(desktop::SwitchJournal::Path()));
}

TEST_F(SwitchOffWithUnusableStore, TheNextSessionsResetPutsFirefoxBack) {
    testing::FakeGateway gateway;
    auto pool = services::MakePoolServices();
    services::Anonymity anonymity(gateway, *pool.connection);
    ::testing::internal::CaptureStderr();  // the damaged store is reported there
    EXPECT_TRUE(anonymity.mayPointAtGateway());
    const auto report = anonymity.resetForNewSession();
    static_cast<void>(::testing::internal::GetCapturedStderr());
    EXPECT_EQ(testing::ReadFile(prefs()), kUsersOwn);
    ASSERT_EQ(report.failures().size(), 1u);
    EXPECT_EQ(report.failures()[0].reason, "the settings store refused the change");
    EXPECT_FALSE(anonymity.mayPointAtGateway());
}

}  // namespace
}  // namespace veilport
