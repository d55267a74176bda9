#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "proxypool/ListSourceParser.h"

namespace veilport::proxypool {
namespace {

std::vector<std::string> Texts(const ExtractedProxies& extracted) {
    std::vector<std::string> texts;
    for (const auto& proxy : extracted.proxies) texts.push_back(proxy.text());
    return texts;
}

struct Case {
    const char* name;
    std::string text;
    const char* scheme;
    std::vector<std::string> expected;
    int invalid;
};

TEST(ExtractProxies, TakesEveryCommonForm) {
    const Case cases[] = {
        {"plain lines with CR LF",
         "1.2.3.4:80\r\n5.6.7.8:3128\r\n",
         "http",
         {"1.2.3.4:80", "5.6.7.8:3128"},
         0},
        {"blank and comment lines",
         "# list\n\n   \n; note\n// also\n1.2.3.4:80\n",
         "http",
         {"1.2.3.4:80"},
         0},
        {"a plain line in a SOCKS5 list", "1.2.3.4:1080\n", "socks5", {"socks5://1.2.3.4:1080"}, 0},
        {"schemes named per line",
         "socks5h://9.9.9.9:9050\nhttp://proxy.example.com:8080/\n",
         "socks5",
         {"socks5h://9.9.9.9:9050", "proxy.example.com:8080"},
         0},
        {"login in the URL form",
         "socks5://alice:s3cr:et@10.0.0.1:1080\n",
         "http",
         {"socks5://alice@10.0.0.1:1080"},
         0},
        {"host:port:user:password",
         "10.0.0.2:8080:bob:pw\n",
         "http",
         {"http://bob@10.0.0.2:8080"},
         0},
        {"extra words after the address",
         "1.2.3.4:8080 US elite 120ms\n",
         "http",
         {"1.2.3.4:8080"},
         0},
        {"several on a line",
         "1.1.1.1:80, 2.2.2.2:81; 3.3.3.3:82\n",
         "http",
         {"1.1.1.1:80", "2.2.2.2:81", "3.3.3.3:82"},
         0},
        {"HTML table, one row a line",
         "<table><tr><th>IP</th><th>Port</th></tr>\n"
         "<tr><td>1.2.3.4</td><td>8080</td><td>US</td></tr>\n"
         "<tr><td>5.6.7.8</td><td>3128</td><td>DE</td></tr></table>\n",
         "http",
         {"1.2.3.4:8080", "5.6.7.8:3128"},
         0},
        {"HTML table, one cell a line",
         "<tr>\n  <td>1.2.3.4</td>\n  <td>8080</td>\n</tr>\n<tr>\n  <td>5.6.7.8</td>\n"
         "  <td>3128</td>\n</tr>\n",
         "http",
         {"1.2.3.4:8080", "5.6.7.8:3128"},
         0},
        {"bad ports, bad addresses, unknown schemes, junk",
         "1.2.3.4:0\n1.2.3.4:65536\n999.1.1.1:80\nftp://1.2.3.4:21\nsocks4://1.2.3.4:1080\n"
         "garbage\n1.2.3.4:80\n",
         "http",
         {"1.2.3.4:80"},
         6},
        {"prose and times are no proxies",
         "Updated at 12:30:45 today.\nPort: see below\n",
         "http",
         {},
         0},
        {"last line without a line break",
         "1.2.3.4:80\n5.6.7.8:81",
         "http",
         {"1.2.3.4:80", "5.6.7.8:81"},
         0},
        {"an unknown default scheme reads as http", "1.2.3.4:80\n", "gopher", {"1.2.3.4:80"}, 0},
        {"the program's own entry form",
         "1.2.3.4:80->Germany <supports POST>\n",
         "http",
         {"1.2.3.4:80"},
         0},
        {"an address that is part of a longer number is not taken",
         "11.2.3.4.5 80\n",
         "http",
         {},
         0},
    };
    for (const auto& c : cases) {
        const auto extracted = ExtractProxies(c.text, c.scheme);
        EXPECT_EQ(Texts(extracted), c.expected) << c.name;
        EXPECT_EQ(extracted.invalid, c.invalid) << c.name;
    }
}

TEST(ExtractProxies, KeepsPasswordsInMemoryButNeverInTheText) {
    const auto extracted = ExtractProxies("socks5://alice:pw@10.0.0.1:1080\n10.0.0.2:80:bob:x:y\n");
    ASSERT_EQ(extracted.proxies.size(), 1u);
    EXPECT_EQ(extracted.proxies[0].password, "pw");
    EXPECT_EQ(extracted.proxies[0].text().find("pw"), std::string::npos);
    // Five fields are no known form, and no address is guessed out of them.
    EXPECT_EQ(extracted.invalid, 1);
}

TEST(ExtractProxies, MergesDuplicatesAcrossFormsAndCase) {
    const auto extracted = ExtractProxies(
        "1.2.3.4:80\nhttp://1.2.3.4:80\n<td>1.2.3.4</td><td>80</td>\nProxy.Example.com:8080\n"
        "proxy.example.com:8080\nsocks5://1.2.3.4:80\n");
    EXPECT_EQ(Texts(extracted), (std::vector<std::string>{"1.2.3.4:80", "Proxy.Example.com:8080",
                                                          "socks5://1.2.3.4:80"}));
    EXPECT_EQ(extracted.duplicates, 3);
}

TEST(ExtractProxies, TenThousandLinesWithDuplicates) {
    std::string text;
    for (int i = 0; i < 10'000; ++i) {
        const int n = i % 2'500;  // every address four times
        text += "10." + std::to_string(n / 250) + "." + std::to_string(n % 250) +
                ".1:" + std::to_string(1000 + n % 7) + "\r\n";
    }
    const auto extracted = ExtractProxies(text);
    EXPECT_EQ(extracted.proxies.size(), 2'500u);
    EXPECT_EQ(extracted.duplicates, 7'500);
    EXPECT_EQ(extracted.invalid, 0);
    EXPECT_EQ(extracted.proxies.front().text(), "10.0.0.1:1000");
}

}  // namespace
}  // namespace veilport::proxypool
