#include <gtest/gtest.h>

#include "proxypool/ServiceList.h"

namespace veilport::proxypool {
namespace {

using Rows = std::vector<NewListRow>;
using Texts = std::vector<std::string>;

TEST(NewList, KeepsServiceOrderSkipsNullAndMarksPostProxies) {
    EXPECT_EQ(BuildNewList("1.1.1.1:80->A<br />2.2.2.2:80->null<br />"
                           "3.3.3.3:8080->Germany <supports POST><br />tail 4.4.4.4:80->B"),
              (Rows{{"1.1.1.1:80->A", 0}, {"3.3.3.3:8080->Germany <supports POST>", 1}}));
    // Duplicates stay.
    EXPECT_EQ(BuildNewList("a:1->X<br />a:1->X<br />").size(), 2u);
}

TEST(NewList, NeedsTheTerminatorAndKeepsLineBreaksInTheNextEntry) {
    EXPECT_TRUE(BuildNewList("1.2.3.4:80->Germany").empty());
    EXPECT_TRUE(BuildNewList("").empty());
    EXPECT_EQ(BuildNewList("a:1->X<br />\r\nb:2->Y<br />\r\n"),
              (Rows{{"a:1->X", 0}, {"\r\nb:2->Y", 0}}));
    // An empty entry is an entry.
    EXPECT_EQ(BuildNewList("<br />"), (Rows{{"", 0}}));
}

TEST(LocationName, TakesTheTextAfterTheArrowWithoutThePostMark) {
    EXPECT_EQ(LocationName("1.2.3.4:80->Germany"), "Germany");
    EXPECT_EQ(LocationName("1.2.3.4:80->Germany <supports POST>"), "Germany");
    EXPECT_EQ(LocationName("1.2.3.4:80->United States <supports POST>"), "United States");
    // Without an arrow, the text from its second character.
    EXPECT_EQ(LocationName("X1.2.3.4:80"), "1.2.3.4:80");
    EXPECT_EQ(LocationName(""), "");
    // A '<' first in the name leaves nothing before it to cut.
    EXPECT_EQ(LocationName("a:1-><b <supports POST>"), "");
}

TEST(WizardLocations, DistinctNamesInCaseInsensitiveOrder) {
    const std::string body =
        "1.1.1.1:80->Zambia<br />2.2.2.2:80->albania<br />"
        "3.3.3.3:80->Germany<br />4.4.4.4:80->Germany <supports POST><br />"
        "5.5.5.5:80->null<br />6.6.6.6:80->Chile <supports POST><br />";
    EXPECT_EQ(WizardLocations(body, WizardMode::BrowseInvisibly),
              (Texts{"albania", "Chile", "Germany", "Zambia"}));
    EXPECT_EQ(WizardLocations(body, WizardMode::PostAnonymously), (Texts{"Chile", "Germany"}));
    EXPECT_TRUE(WizardLocations("no terminator", WizardMode::BrowseInvisibly).empty());
}

TEST(WizardLocations, KeepsEveryNamePastTheOldTableSize) {
    std::string body;
    for (int i = 0; i < 300; ++i) body += "1.1.1.1:80->Land" + std::to_string(1000 + i) + "<br />";
    EXPECT_EQ(WizardLocations(body, WizardMode::BrowseInvisibly).size(), 300u);
    EXPECT_EQ(WizardProxies(body, "Land", WizardMode::BrowseInvisibly).size(), 300u);
}

TEST(WizardProxies, MatchesTheLocationAnywhereInTheEntry) {
    const std::string body =
        "1.1.1.1:80->Niger<br />2.2.2.2:80->Nigeria <supports POST><br />"
        "3.3.3.3:80->Germany<br />4.4.4.4:80->Germany <supports POST><br />"
        "1.1.1.1:80->Niger<br />9.9.9.9:80->Niger null<br />";
    EXPECT_EQ(WizardProxies(body, "Niger", WizardMode::BrowseInvisibly),
              (Texts{"1.1.1.1:80->Niger", "2.2.2.2:80->Nigeria <supports POST>"}));
    EXPECT_EQ(WizardProxies(body, "Germany", WizardMode::PostAnonymously),
              (Texts{"4.4.4.4:80->Germany <supports POST>"}));
    EXPECT_EQ(WizardProxies(body, "germany", WizardMode::BrowseInvisibly), Texts{});
    // The address is searched too.
    EXPECT_EQ(WizardProxies(body, "3.3.3", WizardMode::BrowseInvisibly),
              (Texts{"3.3.3.3:80->Germany"}));
}

}  // namespace
}  // namespace veilport::proxypool
