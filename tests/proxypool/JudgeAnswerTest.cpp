#include <gtest/gtest.h>

#include "proxypool/AnonymityLevel.h"
#include "proxypool/JsonReader.h"
#include "proxypool/JudgeAnswer.h"

namespace veilport::proxypool {
namespace {

constexpr const char* kHttpbin = R"J({
  "args": {},
  "headers": {
    "Accept": "*/*",
    "Host": "httpbin.org",
    "User-Agent": "Veilport",
    "Via": "1.1 tinyproxy (tinyproxy/1.11.1)",
    "X-Amzn-Trace-Id": "Root=1-6\u00e9"
  },
  "origin": "203.0.113.9, 198.51.100.7",
  "url": "http://httpbin.org/get"
})J";

TEST(JudgeAnswer, ReadsHttpbinJson) {
    const auto answer = ReadJudgeAnswer(kHttpbin);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->origin, "203.0.113.9, 198.51.100.7");
    EXPECT_EQ(answer->exitAddress(), "198.51.100.7");
    EXPECT_EQ((JudgeAnswer{"198.51.100.7, ", {}}).exitAddress(), "198.51.100.7");
    EXPECT_EQ(answer->header("via"), "1.1 tinyproxy (tinyproxy/1.11.1)");
    EXPECT_EQ(answer->header("X-Amzn-Trace-Id"), "Root=1-6\xc3\xa9");
    EXPECT_FALSE(answer->header("X-Forwarded-For"));
}

TEST(JudgeAnswer, ReadsTheCgiTextForm) {
    const auto plain = ReadJudgeAnswer(
        "REMOTE_ADDR=198.51.100.7\r\nHTTP_X_FORWARDED_FOR=203.0.113.9\r\nHTTP_HOST=judge\r\n");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->exitAddress(), "198.51.100.7");
    EXPECT_EQ(plain->header("X-Forwarded-For"), "203.0.113.9");
    const auto html = ReadJudgeAnswer(
        "<html><body>REMOTE_ADDR = 198.51.100.7<br>HTTP_VIA = 1.1 x<br />"
        "HTTP_USER_AGENT=Veilport</body></html>");
    ASSERT_TRUE(html);
    EXPECT_EQ(html->exitAddress(), "198.51.100.7");
    EXPECT_EQ(html->header("Via"), "1.1 x");
}

TEST(JudgeAnswer, RefusesWhatIsNotAJudgesAnswer) {
    for (const char* body : {
             "<html><body>Welcome to our proxy!</body></html>",
             "",
             R"({"headers": {}})",
             R"({"origin": ""})",
             R"({"origin": 5})",
             R"({"origin": "1.2.3.4")",
             "REMOTE_ADDR=\n",
             // Found by fuzzing: an origin of commas names no address.
             "REMOTE_ADDR= , ,\n",
             R"({"origin": ","})",
             R"(["origin", "1.2.3.4"])",
         })
        EXPECT_FALSE(ReadJudgeAnswer(body)) << body;
}

TEST(JsonReader, RefusesMalformedAndTooDeepText) {
    for (const char* text :
         {"{", "{\"a\" 1}", "[1,]", "\"\\x\"", "\"\\ud800\"", "{} x", "tru", "\"a\nb\""})
        EXPECT_FALSE(ReadJson(text)) << text;
    EXPECT_TRUE(ReadJson(std::string(kMaxJsonDepth, '[') + std::string(kMaxJsonDepth, ']')));
    EXPECT_FALSE(
        ReadJson(std::string(kMaxJsonDepth + 2, '[') + std::string(kMaxJsonDepth + 2, ']')));
    EXPECT_EQ(ReadJson(R"("\ud83d\ude00")")->text, "\xf0\x9f\x98\x80");
}

JudgeAnswer Answer(std::string origin, std::vector<std::pair<std::string, std::string>> headers) {
    return {std::move(origin), std::move(headers)};
}

TEST(AnonymityLevel, FollowsWhatTheJudgeSaw) {
    const std::string real = "192.0.2.10";
    EXPECT_EQ(ClassifyAnonymity(Answer("198.51.100.7", {{"User-Agent", "Veilport"}}), real),
              AnonymityLevel::Elite);
    EXPECT_EQ(ClassifyAnonymity(Answer("198.51.100.7", {{"Via", "1.1 squid"}}), real),
              AnonymityLevel::Anonymous);
    EXPECT_EQ(ClassifyAnonymity(Answer("198.51.100.7", {{"Forwarded", "for=unknown"}}), real),
              AnonymityLevel::Anonymous);
    // The real address anywhere makes it transparent, headers or origin.
    EXPECT_EQ(ClassifyAnonymity(Answer("198.51.100.7", {{"X-Forwarded-For", real}}), real),
              AnonymityLevel::Transparent);
    EXPECT_EQ(ClassifyAnonymity(Answer(real + ", 198.51.100.7", {}), real),
              AnonymityLevel::Transparent);
    EXPECT_EQ(ClassifyAnonymity(Answer("198.51.100.7", {{"X-Tinyproxy", real}}), real),
              AnonymityLevel::Transparent);
    // A "proxy" that goes out from the user's own address hides nothing.
    EXPECT_EQ(ClassifyAnonymity(Answer(real, {}), real), AnonymityLevel::Transparent);
    // A longer address that merely begins with the real one is another address,
    // and the judge's own host name says nothing of the user.
    EXPECT_EQ(ClassifyAnonymity(Answer("192.0.2.100", {{"Host", real + ":8080"}}), real),
              AnonymityLevel::Elite);
    // Without a known real address nothing is called transparent.
    EXPECT_EQ(ClassifyAnonymity(Answer("198.51.100.7", {}), ""), AnonymityLevel::Elite);
}

}  // namespace
}  // namespace veilport::proxypool
