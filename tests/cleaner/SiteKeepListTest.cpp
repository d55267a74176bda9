#include <gtest/gtest.h>

#include "cleaner/SiteKeepList.h"
#include "cleaner/SiteStorage.h"

namespace veilport::cleaner {
namespace {

using browsers::BrowserFamily;

TEST(SiteKeepListTest, ASiteKeepsItselfAndItsSubdomainsOnly) {
    const auto keep = SiteKeepList::parse(" https://Mail.Example.org:443/inbox?x=1,\n.bank.net;; ");
    EXPECT_EQ(keep.sites(), (std::vector<std::string>{"mail.example.org", "bank.net"}));
    EXPECT_EQ(keep.text(), "mail.example.org bank.net");
    for (const char* host : {"mail.example.org", ".mail.example.org", "a.mail.example.org",
                             "BANK.NET", ".bank.net", "www.bank.net", ".example.org"})
        EXPECT_TRUE(keep.keeps(host)) << host;
    for (const char* host : {"example.org", ".gmail.example.org", "gmail.example.org", "mybank.net",
                             "bank.net.evil.com", "", "."})
        EXPECT_FALSE(keep.keeps(host)) << host;
    SiteKeepList empty;
    EXPECT_FALSE(empty.add("https:///path"));
    EXPECT_FALSE(empty.add("..."));
    EXPECT_FALSE(empty.add("my bank.net"));
    EXPECT_FALSE(empty.add("a.org,b.org"));
    EXPECT_TRUE(empty.empty());
}

TEST(SiteStorageTest, NamesTheSiteOfEachStorageFolder) {
    struct Case {
        BrowserFamily family;
        const char* folder;
        const char* host;
    };
    const Case cases[] = {
        {BrowserFamily::Firefox, "https+++www.example.org", "www.example.org"},
        {BrowserFamily::Firefox, "http+++localhost+8080", "localhost"},
        {BrowserFamily::Firefox, "https+++example.org^userContextId=2", "example.org"},
        {BrowserFamily::Firefox, "moz-extension+++0e1f^userContextId=4294967295", ""},
        {BrowserFamily::Firefox, "file++++home+me+page.html", ""},
        {BrowserFamily::Chromium, "https_www.example.org_0.indexeddb.leveldb", "www.example.org"},
        {BrowserFamily::Chromium, "http_localhost_8080.indexeddb.blob", "localhost"},
        {BrowserFamily::Chromium, "chrome-extension_abc_0.indexeddb.leveldb", ""},
        {BrowserFamily::Chromium, "https_example.org_0", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(SiteStorageHost(c.family, c.folder), c.host) << c.folder;
}

}  // namespace
}  // namespace veilport::cleaner
