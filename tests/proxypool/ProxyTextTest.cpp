#include <gtest/gtest.h>

#include <climits>

#include "proxypool/ProxyText.h"

namespace veilport::proxypool {
namespace {

TEST(SplitProxyText, TakesHostPortAndCountryOutOfEveryShape) {
    auto parts = SplitProxyText("1.2.3.4:80->Germany <supports POST>");
    EXPECT_EQ(parts.host, "1.2.3.4");
    EXPECT_EQ(parts.port, 80);
    EXPECT_EQ(parts.country, "Germany <supports POST>");

    parts = SplitProxyText("12.12.12.12:80");
    EXPECT_EQ(parts.host, "12.12.12.12");
    EXPECT_EQ(parts.port, 80);
    EXPECT_EQ(parts.country, "");

    parts = SplitProxyText("1.2.3.4:x");
    EXPECT_EQ(parts.host, "1.2.3.4");
    EXPECT_EQ(parts.port, 0);

    // A bare host name has no ':' and so no host; its text reads as no port.
    parts = SplitProxyText("proxy.example");
    EXPECT_EQ(parts.host, "");
    EXPECT_EQ(parts.port, 0);

    // Only the first ':' and the first "->" count.
    parts = SplitProxyText("h:8080:9->A->B");
    EXPECT_EQ(parts.host, "h");
    EXPECT_EQ(parts.port, 8080);
    EXPECT_EQ(parts.country, "A->B");

    EXPECT_EQ(SplitProxyText("").port, 0);
    EXPECT_EQ(SplitProxyText("h:").port, 0);
}

TEST(SplitProxyText, ReadsThePortAsCDoesAndNeverOverflows) {
    EXPECT_EQ(SplitProxyText("h: \t 3128").port, 3128);
    EXPECT_EQ(SplitProxyText("h:+81").port, 81);
    EXPECT_EQ(SplitProxyText("h:-81").port, -81);
    EXPECT_EQ(SplitProxyText("h:- 81").port, 0);
    EXPECT_EQ(SplitProxyText("h:99999999999999999999").port, INT_MAX);
    EXPECT_EQ(SplitProxyText("h:-99999999999999999999").port, INT_MIN);
}

TEST(AddressKey, NormalisesThePort) {
    const auto parts = SplitProxyText("1.2.3.4:0080->X");
    EXPECT_EQ(AddressKey(parts.host, parts.port), "1.2.3.4:80");
    EXPECT_EQ(AddressKey("", 0), ":0");
}

TEST(SupportsPost, CountsTheMarkOnlyAfterTheFirstCharacter) {
    EXPECT_TRUE(SupportsPost("1.2.3.4:80->Germany <supports POST>"));
    EXPECT_FALSE(SupportsPost("1.2.3.4:80->Germany"));
    EXPECT_FALSE(SupportsPost("<supports POST>"));
    EXPECT_FALSE(SupportsPost("1.2.3.4:80->Germany <supports post>"));
}

TEST(ProxyTextParts, AddressAndCountryAroundTheFirstArrow) {
    EXPECT_EQ(AddressPartOf("1.2.3.4:80->DE"), "1.2.3.4:80");
    EXPECT_EQ(AddressPartOf("1.2.3.4:80"), "1.2.3.4:80");
    EXPECT_EQ(CountryOf("1.2.3.4:80->DE->x"), "DE->x");
    EXPECT_EQ(CountryOf("1.2.3.4:80"), "");
}

}  // namespace
}  // namespace veilport::proxypool
