#include <gtest/gtest.h>

#include "browsers/StartupOptions.h"
#include "platform/desktop/AutostartEntry.h"
#include "platform/net/Socket.h"
#include "support/TempHome.h"

namespace veilport::browsers {
namespace {

TEST(StartupOptionsTest, PortTextIsReadUpToItsFirstNonDigit) {
    EXPECT_EQ(LeadingPortNumber("8080"), 8080u);
    EXPECT_EQ(LeadingPortNumber("8181 "), 8181u);
    EXPECT_EQ(LeadingPortNumber("99999999999999"), UINT32_MAX) << "saturates";
    EXPECT_FALSE(LeadingPortNumber(" 80"));
    EXPECT_FALSE(LeadingPortNumber("-80"));
    EXPECT_FALSE(LeadingPortNumber(""));
    EXPECT_FALSE(PortInTestRange("1024"));
    EXPECT_TRUE(PortInTestRange("1025"));
    EXPECT_TRUE(PortInTestRange("64999"));
    EXPECT_FALSE(PortInTestRange("65000"));
}

TEST(StartupOptionsTest, ProbeSeesAListenerOnLoopback) {
    auto listener = net::listenTcp({htonl(INADDR_LOOPBACK)}, 0, 4);
    ASSERT_TRUE(listener.ok());
    const auto port = net::localPort(listener.value.get());
    ASSERT_TRUE(port.ok());
    EXPECT_EQ(ProbeLocalPort(port.value), PortProbe::InUse);
    listener.value.reset();
    EXPECT_EQ(ProbeLocalPort(port.value), PortProbe::Free);
}

TEST(AutostartEntryTest, ExecQuotesThePathSoBlanksAndQuotesSurvive) {
    const std::string text = desktop::autostartEntryText("/opt/a \"b\" $c\\d/veilport");
    EXPECT_NE(text.find("Exec=\"/opt/a \\\\\"b\\\\\" \\\\$c\\\\\\\\d/veilport\"\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
}

TEST(AutostartEntryTest, AnEmptyCommandRemovesTheEntryAndALineBreakIsRefused) {
    testing::TempHome home;
    ASSERT_TRUE(desktop::mirrorRunEntry("/usr/bin/veilport"));
    EXPECT_TRUE(std::filesystem::exists(desktop::autostartEntryPath()));
    EXPECT_FALSE(desktop::mirrorRunEntry("/usr/bin/veilport\nExec=/bin/evil"));
    ASSERT_TRUE(desktop::mirrorRunEntry(""));
    EXPECT_FALSE(std::filesystem::exists(desktop::autostartEntryPath()));
    EXPECT_TRUE(desktop::mirrorRunEntry("")) << "removing what is not there is no failure";
}

}  // namespace
}  // namespace veilport::browsers
