#include <gtest/gtest.h>

#include "browsers/FirefoxLeakPrefs.h"
#include "browsers/MozillaPrefs.h"
#include "browsers/PrefsMerge.h"

namespace veilport::browsers {
namespace {

const std::string kCompany =
    "user_pref(\"a.b\", 1);\r\n"
    "user_pref(\"network.proxy.http\", \"proxy.corp\");\r\n"
    "user_pref(\"network.proxy.http_port\", 3128);\r\n"
    "user_pref(\"network.proxy.type\", 1);\r\n"
    "user_pref(\"network.trr.mode\", 2);\r\n";

// Firefox rewrites prefs.js when it exits, sorted and with the user.js values
// copied in; the switch's own values must still go back, the rest stay.
TEST(PrefsMerge, AFileFirefoxRewroteGetsBackTheUsersProxyAndKeepsItsNewLines) {
    const std::string after = SetMozillaProxyText(ReadPrefsText(kCompany), 9191);
    const std::string rewritten =
        "// Mozilla User Preferences\n"
        "user_pref(\"a.b\", 1);\n"
        "user_pref(\"browser.new\", true);\n"
        "user_pref(\"network.proxy.http\", \"127.0.0.1\");\n"
        "user_pref(\"network.proxy.http_port\", 9191);\n"
        "user_pref(\"network.proxy.ssl\", \"127.0.0.1\");\n"
        "user_pref(\"network.proxy.ssl_port\", 9191);\n"
        "user_pref(\"network.proxy.type\", 1);\n"
        "user_pref(\"network.proxy.allow_bypass\", false);\n"
        "user_pref(\"network.trr.mode\", 5);\n";
    std::vector<std::string> conflicts;
    EXPECT_EQ(MergePrefsBack(rewritten, kCompany, after, conflicts),
              "// Mozilla User Preferences\n"
              "user_pref(\"a.b\", 1);\n"
              "user_pref(\"browser.new\", true);\n"
              "user_pref(\"network.proxy.http\", \"proxy.corp\");\n"
              "user_pref(\"network.proxy.http_port\", 3128);\n"
              "user_pref(\"network.proxy.type\", 1);\n"
              "user_pref(\"network.trr.mode\", 2);\n");
    EXPECT_TRUE(conflicts.empty());
}

TEST(PrefsMerge, AProxyTheUserChoseMeanwhileStaysAndIsNamed) {
    const std::string after = SetMozillaProxyText(ReadPrefsText(kCompany), 9191);
    std::string now = after;
    now.replace(now.find("\"127.0.0.1\""), 11, "\"other.corp\"");
    std::vector<std::string> conflicts;
    const std::string merged = MergePrefsBack(now, kCompany, after, conflicts);
    EXPECT_NE(merged.find("user_pref(\"network.proxy.http\", \"other.corp\");"), std::string::npos);
    EXPECT_NE(merged.find("user_pref(\"network.proxy.http_port\", 3128);"), std::string::npos);
    EXPECT_EQ(merged.find("network.proxy.ssl\""), std::string::npos);
    EXPECT_EQ(conflicts, std::vector<std::string>{"network.proxy.http"});
}

TEST(PrefsMerge, UserJsKeepsEveryLineOfTheUsersOwn) {
    const std::string mine = "// mine\nuser_pref(\"network.trr.mode\", 3);\nuser_pref(\"x\", 1);\n";
    const std::string set = SetLeakPrefsText(mine);
    EXPECT_EQ(set.rfind("// mine\nuser_pref(\"network.trr.mode\", 5);\nuser_pref(\"x\", 1);\n", 0),
              0u)
        << set;
    std::vector<std::string> conflicts;
    EXPECT_EQ(MergePrefsBack(set + "user_pref(\"later\", 2);\n", mine, set, conflicts),
              mine + "user_pref(\"later\", 2);\n");
    EXPECT_EQ(RemoveLeakPrefsText(SetLeakPrefsText("")), "");
}

}  // namespace
}  // namespace veilport::browsers
