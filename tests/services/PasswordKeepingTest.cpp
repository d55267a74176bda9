// Proxy passwords live in the desktop's Secret Service (a real
// gnome-keyring-daemon in a private D-Bus session here), else in memory for
// the session; never in a file of the Veilport home or the settings store.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/secret/KeptPasswords.h"
#include "platform/secret/SecretServicePasswords.h"
#include "proxypool/UpstreamPassword.h"
#include "services/PoolServices.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"
#include "support/ChildProcess.h"
#include "support/TempHome.h"

namespace veilport::testing {
namespace {

constexpr const char* kInsideSession = "VEILPORT_TEST_INSIDE_KEYRING";
constexpr const char* kPassword = "Unique-Pa55word-7f3e";

// Every file under `root` that holds `needle`.
std::vector<std::string> FilesHolding(const std::filesystem::path& root,
                                      const std::string& needle) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string content(std::istreambuf_iterator<char>(in), {});
        if (content.find(needle) != std::string::npos) found.push_back(entry.path().string());
    }
    return found;
}

class FailingStore : public secret::PasswordStore {
public:
    bool store(const secret::PasswordKey&, std::string_view) override { return false; }
    std::optional<std::string> lookup(const secret::PasswordKey&) override { return {}; }
    void remove(const secret::PasswordKey&) override {}
};

TEST(KeptPasswords, WithoutADesktopStoreTheSessionKeepsThemAndSaysSoOnce) {
    secret::KeptPasswords kept(std::make_unique<FailingStore>());
    const secret::PasswordKey key{"socks5", "alice", "h", 1080};
    EXPECT_TRUE(kept.store(key, "pw"));
    EXPECT_EQ(kept.lookup(key).value_or(""), "pw");
    EXPECT_EQ(kept.takeNotice(), secret::KeptPasswords::kNoDesktopStore);
    EXPECT_EQ(kept.takeNotice(), "");
    EXPECT_FALSE(kept.lookup({"socks5h", "alice", "h", 1080}));
    kept.remove(key);
    EXPECT_FALSE(kept.lookup(key));
}

// The window is told through the listener, once, whichever thread stores.
TEST(KeptPasswords, TheListenerHearsOnceWhenPasswordsStayInTheSession) {
    secret::KeptPasswords kept(std::make_unique<FailingStore>());
    std::vector<std::string> heard;
    kept.setNoticeListener([&](const std::string& notice) {
        heard.push_back(notice);
        // Told outside the lock: the listener may use the store.
        (void)kept.lookup({"socks5", "a", "h", 1});
    });
    EXPECT_TRUE(kept.store({"socks5", "a", "h", 1}, "pw"));
    EXPECT_TRUE(kept.store({"socks5", "b", "h", 1}, "pw"));
    EXPECT_EQ(heard, std::vector<std::string>{secret::KeptPasswords::kNoDesktopStore});
    EXPECT_EQ(kept.takeNotice(), "");
}

// Runs the tests below inside a private D-Bus session with an unlocked
// gnome-keyring, in a throwaway home.
TEST(SecretService, KeepsProxyPasswordsInTheKeyringOnly) {
    if (std::getenv(kInsideSession)) GTEST_SKIP() << "this is the inner run";
    if (std::system("command -v dbus-run-session >/dev/null 2>&1 && "
                    "command -v gnome-keyring-daemon >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "dbus-run-session and gnome-keyring-daemon are needed";
    TempHome home;
    const auto self = std::filesystem::read_symlink("/proc/self/exe").string();
    // Under ThreadSanitizer the inner run talks D-Bus through GLib's own
    // thread, which the sanitizer cannot follow.
    const char* tsan = std::getenv("TSAN_OPTIONS");
    const char* testsDir = std::getenv("VEILPORT_TESTS_DIR");
    const std::string tsanOptions =
        std::string("TSAN_OPTIONS=") + (tsan != nullptr ? tsan : "") +
        (testsDir != nullptr ? std::string(" suppressions=") + testsDir + "/services/glib-tsan.supp"
                             : std::string());
    const auto result = RunCommand({"/usr/bin/env", std::string(kInsideSession) + "=1", tsanOptions,
                                    "dbus-run-session", "--", "/bin/sh", "-c",
                                    "printf 'keyring-unlock' | gnome-keyring-daemon --unlock "
                                    "--components=secrets >/dev/null 2>&1 && exec " +
                                        self + " --gtest_filter='SecretServiceInside.*'"});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("[  PASSED  ] 1 test"), std::string::npos) << result.out;
    // The keyring's own file is encrypted: no file of the home shows the password.
    EXPECT_TRUE(FilesHolding(home.path(), kPassword).empty());
}

TEST(SecretServiceInside, AdoptedPasswordGoesToTheKeyringAndNowhereElse) {
    if (!std::getenv(kInsideSession)) GTEST_SKIP() << "runs inside the keyring session only";
    ASSERT_TRUE(secret::SecretServicePasswords::available());
    TempHome home;

    auto services = services::MakePoolServices();
    const auto upstream =
        *proxypool::ParseUpstream(std::string("socks5://alice:") + kPassword + "@127.0.0.1:1080")
             .upstream;
    services.gateway->useUpstream(upstream);
    StringSetting(settings::kProxyName).set(upstream.text);
    EXPECT_EQ(services.passwords->takeNotice(), "");

    // A new reader finds it in the keyring, not in this session's memory.
    secret::SecretServicePasswords desktop;
    auto bare = upstream;
    bare.password.reset();
    EXPECT_EQ(proxypool::WithKeptPassword(bare, desktop).password.value_or(""), kPassword);
    bare.host = "127.0.0.2";
    EXPECT_FALSE(proxypool::WithKeptPassword(bare, desktop).password);

    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "socks5://alice@127.0.0.1:1080");
    const auto holding = FilesHolding(home.path(), kPassword);
    EXPECT_TRUE(holding.empty()) << holding.front();

    desktop.remove(proxypool::PasswordKeyOf(upstream));
    bare.host = "127.0.0.1";
    EXPECT_FALSE(proxypool::WithKeptPassword(bare, desktop).password);
}

}  // namespace
}  // namespace veilport::testing
