#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "browsers/BrowserTestUtil.h"
#include "browsers/SystemProxy.h"
#include "platform/inet/ProxyOptions.h"
#include "support/TempHome.h"

namespace veilport::browsers {
namespace {

using testing::StoredDword;
using testing::StoreDword;
using testing::StoreText;

struct Call {
    std::optional<std::string> connection;
    std::vector<std::pair<inet::PerConnOptionId, std::string>> options;  // number or text
    bool operator==(const Call&) const = default;
};

// Records what the operations hand to the system, and can fail the n-th
// option allocation. It passes the lists on so the stored options can be read.
class RecordingInternet : public InternetOptions {
public:
    int failAllocation = -1;  // index of the allocation to fail
    int allocations = 0;
    int live = 0;
    std::vector<Call> calls;
    std::vector<std::string> notices;

    inet::PerConnOption* allocateOptions(std::size_t count) override {
        if (allocations++ == failAllocation) return nullptr;
        ++live;
        return InternetOptions::allocateOptions(count);
    }
    void freeOptions(inet::PerConnOption* options) override {
        --live;
        InternetOptions::freeOptions(options);
    }
    bool storeRefuses = false;
    std::vector<desktop::MirrorOutcome> mirrored;

    bool setPerConnectionOptions(inet::PerConnOptionList& list) override {
        EXPECT_EQ(list.size, sizeof(inet::PerConnOptionList));
        Call call;
        if (list.connection) call.connection = list.connection;
        for (std::uint32_t i = 0; i < list.optionCount; ++i) {
            const auto& option = list.options[i];
            call.options.emplace_back(option.option, option.option == inet::PerConnOptionId::Flags
                                                         ? std::to_string(option.number)
                                                         : std::string(option.text));
        }
        calls.push_back(call);
        return !storeRefuses && InternetOptions::setPerConnectionOptions(list);
    }
    void settingsChanged() override { notices.push_back("changed"); }
    std::vector<desktop::MirrorOutcome> refresh() override {
        notices.push_back("refresh");
        return mirrored;
    }
};

const std::vector<std::pair<inet::PerConnOptionId, std::string>> kSetOptions = {
    {inet::PerConnOptionId::Flags, "3"},
    {inet::PerConnOptionId::ProxyServer, "10.0.0.1:3128"},
    {inet::PerConnOptionId::ProxyBypass, "local"}};
const std::vector<std::pair<inet::PerConnOptionId, std::string>> kClearOptions = {
    {inet::PerConnOptionId::Flags, "1"}};

struct DialUpCase {
    std::optional<std::uint32_t> enableAutodial;
    std::optional<std::uint32_t> noNetAutodial;
    std::vector<std::optional<std::string>> expected;
};

class DialUpDecision : public ::testing::TestWithParam<DialUpCase> {
protected:
    veilport::testing::TempHome home;
};

TEST_P(DialUpDecision, SetAndClearConfigureTheSameConnectionsInOrder) {
    const auto& param = GetParam();
    StoreText(settings::kDefaultInternet.path, "Provider");
    if (param.enableAutodial) StoreDword(settings::kEnableAutodial, *param.enableAutodial);
    if (param.noNetAutodial) StoreDword(settings::kNoNetAutodial, *param.noNetAutodial);

    RecordingInternet inet;
    SwitchReport report;
    ASSERT_TRUE(SetSystemProxy("10.0.0.1:3128", report, inet));
    ASSERT_TRUE(ClearSystemProxy(report, inet));
    std::vector<Call> expected;
    for (const auto& c : param.expected) expected.push_back({c, kSetOptions});
    for (const auto& c : param.expected) expected.push_back({c, kClearOptions});
    EXPECT_EQ(inet.calls, expected);
    EXPECT_EQ(inet.notices, (std::vector<std::string>{"changed", "refresh", "changed", "refresh"}));
    EXPECT_EQ(inet.live, 0) << "every option array is freed";
}

INSTANTIATE_TEST_SUITE_P(
    Table, DialUpDecision,
    ::testing::Values(DialUpCase{1, 1, {"Provider", std::nullopt}}, DialUpCase{1, 0, {"Provider"}},
                      DialUpCase{1, 2, {"Provider"}}, DialUpCase{1, std::nullopt, {"Provider"}},
                      DialUpCase{0, 1, {std::nullopt}}, DialUpCase{2, 1, {std::nullopt}},
                      DialUpCase{std::nullopt, std::nullopt, {std::nullopt}}));

class SystemProxyTest : public ::testing::Test {
protected:
    veilport::testing::TempHome home;
};

TEST_F(SystemProxyTest, AutodialWithoutDefaultInternetConfiguresTheEmptyName) {
    StoreDword(settings::kEnableAutodial, 1);
    RecordingInternet inet;
    SwitchReport report;
    ASSERT_TRUE(SetSystemProxy("10.0.0.1:3128", report, inet));
    ASSERT_EQ(inet.calls.size(), 1u);
    EXPECT_EQ(inet.calls[0].connection, std::optional<std::string>(""));
    EXPECT_EQ(inet::loadConnectionOptions(std::string()).proxyServer, "10.0.0.1:3128");
    EXPECT_FALSE(inet::loadConnectionOptions(std::nullopt).usesProxy()) << "LAN untouched";
}

TEST_F(SystemProxyTest, ClearingKeepsServerAndBypassAndOnlyTurnsFlagsToDirect) {
    RecordingInternet inet;
    SwitchReport report;
    ASSERT_TRUE(SetSystemProxy("10.0.0.1:3128", report, inet));
    auto lan = inet::loadConnectionOptions(std::nullopt);
    EXPECT_EQ(lan.flags, inet::kProxyTypeDirect | inet::kProxyTypeProxy);
    EXPECT_TRUE(lan.usesProxy());
    ASSERT_TRUE(ClearSystemProxy(report, inet));
    ASSERT_TRUE(ClearSystemProxy(report, inet)) << "a second clear is harmless";
    lan = inet::loadConnectionOptions(std::nullopt);
    EXPECT_EQ(lan.flags, inet::kProxyTypeDirect);
    EXPECT_EQ(lan.proxyServer, "10.0.0.1:3128");
    EXPECT_EQ(lan.bypassList, "local");
}

TEST_F(SystemProxyTest, EachOperationWritesOnlyItsOwnHttp11Value) {
    RecordingInternet inet;
    SwitchReport report;
    ASSERT_TRUE(SetSystemProxy("10.0.0.1:3128", report, inet));
    EXPECT_EQ(StoredDword(settings::kEnableHttp11), 1u);
    EXPECT_FALSE(DwordSetting(settings::kProxyHttp11).valid()) << "set never writes ProxyHttp1.1";
    StoreDword(settings::kEnableHttp11, 0);
    ASSERT_TRUE(ClearSystemProxy(report, inet));
    EXPECT_EQ(StoredDword(settings::kProxyHttp11), 1u);
    EXPECT_EQ(StoredDword(settings::kEnableHttp11), 0u) << "clear never resets EnableHttp1_1";
}

TEST_F(SystemProxyTest, AllocationFailureStopsBeforeNoticesAndHttp11) {
    StoreText(settings::kDefaultInternet.path, "Provider");
    StoreDword(settings::kEnableAutodial, 1);
    StoreDword(settings::kNoNetAutodial, 1);

    RecordingInternet inet;
    SwitchReport report;
    inet.failAllocation = 1;  // the dial-up connection succeeds, the LAN fails
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(SetSystemProxy("10.0.0.1:3128", report, inet));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "failed to allocat memory in SetConnectionOptions()\n");
    ASSERT_EQ(inet.calls.size(), 1u);
    EXPECT_EQ(inet.calls[0].connection, std::optional<std::string>("Provider"));
    EXPECT_TRUE(inet.notices.empty());
    EXPECT_FALSE(DwordSetting(settings::kEnableHttp11).valid());
    EXPECT_TRUE(inet::loadConnectionOptions(std::string("Provider")).usesProxy())
        << "the connection done before the failure stays configured";
    EXPECT_EQ(
        report.failures(),
        (std::vector<SwitchReport::Target>{{"system proxy of the LAN", false, "out of memory"}}));

    RecordingInternet clearing;
    clearing.failAllocation = 0;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(ClearSystemProxy(report, clearing));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "failed to allocat memory in DisableConnectionProxy()\n");
    EXPECT_TRUE(clearing.calls.empty());
    EXPECT_FALSE(DwordSetting(settings::kProxyHttp11).valid());
}

}  // namespace
}  // namespace veilport::browsers

namespace veilport::browsers {
namespace {

TEST_F(SystemProxyTest, TheReportNamesEachConnectionAndDesktopDoneOrFailed) {
    StoreText(settings::kDefaultInternet.path, "Provider");
    StoreDword(settings::kEnableAutodial, 1);
    StoreDword(settings::kNoNetAutodial, 1);
    RecordingInternet inet;
    inet.mirrored = {{"GNOME proxy settings", true, ""}, {"/home/u/.config/kioslaverc", false, ""}};
    SwitchReport report;
    ASSERT_TRUE(SetSystemProxy("10.0.0.1:3128", report, inet));
    EXPECT_EQ(report.targets(),
              (std::vector<SwitchReport::Target>{
                  {"system proxy of the dial-up connection \"Provider\"", true, ""},
                  {"system proxy of the LAN", true, ""},
                  {"GNOME proxy settings", true, ""},
                  {"/home/u/.config/kioslaverc", false,
                   "the desktop's proxy settings could not be changed"}}));
    EXPECT_FALSE(report.allDone());

    inet.mirrored.clear();
    inet.storeRefuses = true;
    SwitchReport refused;
    ASSERT_TRUE(ClearSystemProxy(refused, inet));
    ASSERT_EQ(refused.failures().size(), 2u);
    EXPECT_EQ(refused.failures()[1].reason, "the settings store refused the change");
}

}  // namespace
}  // namespace veilport::browsers
