#pragma once

// Every persistent setting of the program, with its path and the default that
// every reader passes. Nowhere else repeats these paths: build a DwordSetting or
// StringSetting from one of these specs.

#include <cstdint>
#include <string_view>

#include "platform/registry/RegistryTypes.h"

namespace veilport {

struct DwordSpec {
    std::string_view path;
    std::uint32_t defaultValue;
    registry::Root root = registry::Root::LocalMachine;
};

struct StringSpec {
    std::string_view path;
    std::string_view defaultValue;
    registry::Root root = registry::Root::LocalMachine;
};

namespace settings {

inline constexpr std::string_view kProgramKey = "Software\\Veilport";
inline constexpr std::string_view kCleaningKey = "Software\\Veilport\\Setari";

// Online anonymity on (1) or off (0).
inline constexpr DwordSpec kUseProxy{"Software\\Veilport\\UseProxy", 0};
// The upstream proxy in use, as a proxy entry text.
inline constexpr StringSpec kProxyName{"Software\\Veilport\\ProxyName", ""};
// TCP port of the Gateway.
inline constexpr DwordSpec kLocalPort{"Software\\Veilport\\LocalPort", 8080};
// The address the Gateway listens on: this machine only, unless the user lets
// other computers of the network use it ("0.0.0.0").
inline constexpr StringSpec kListenAddress{"Software\\Veilport\\ListenAddress", "127.0.0.1"};
// 1: when the upstream fails twice in a row, move to the next tested proxy.
inline constexpr DwordSpec kFailover{"Software\\Veilport\\Failover", 0};
inline constexpr DwordSpec kRunAtStartup{"Software\\Veilport\\RunAtStartup", 0};
// Full path of the program, copied into the autostart entry.
inline constexpr StringSpec kAppFullPath{"Software\\Veilport\\AppFullPath", ""};
// The AppFullPath the programs recorded on their own. While AppFullPath still
// holds it, a program run from another place records itself instead; a path
// stored by anyone else is kept.
inline constexpr StringSpec kRecordedAppFullPath{"Software\\Veilport\\RecordedAppFullPath", ""};
// Where MyProxies.txt and the help file lie.
inline constexpr StringSpec kAppPath{"Software\\Veilport\\AppPath", ""};
inline constexpr DwordSpec kEnableJS{"Software\\Veilport\\EnableJS", 0};
inline constexpr DwordSpec kEnableActiveX{"Software\\Veilport\\EnableActiveX", 0};
// Host named by the most recent request through the Gateway.
inline constexpr StringSpec kLastDomain{"Software\\Veilport\\LastDomain", ""};
// Results the proxy tester hands back to the code that opened it.
inline constexpr DwordSpec kFail{"Software\\Veilport\\FAIL", 0};
inline constexpr StringSpec kTmpResponseTime{"Software\\Veilport\\TMPResponseTime", ""};
inline constexpr StringSpec kTmpDownloadSpeed{"Software\\Veilport\\TMPDownloadSpeed", ""};
// Host of the proxy-list service; empty means the vendor's host chosen at build time.
inline constexpr StringSpec kProxyListHost{"Software\\Veilport\\ProxyListHost", ""};
// Where a proxy check sends its request: a page that echoes the request's
// headers and the caller's address (httpbin's JSON or REMOTE_ADDR= text).
inline constexpr StringSpec kJudgeUrl{"Software\\Veilport\\JudgeUrl", "http://httpbin.org/get"};
// The HTTPS page a check reaches through the proxy; empty: the judge's host on 443.
inline constexpr StringSpec kJudgeHttpsUrl{"Software\\Veilport\\JudgeHttpsUrl", ""};
// Minutes between background checks of the tested list; 0 never.
inline constexpr DwordSpec kRetestMinutes{"Software\\Veilport\\RetestMinutes", 60};
// How many proxies are checked at once.
inline constexpr DwordSpec kCheckConcurrency{"Software\\Veilport\\CheckConcurrency", 32};
// A country database (.mmdb); empty: the usual system places.
inline constexpr StringSpec kCountryDatabase{"Software\\Veilport\\CountryDatabase", ""};
// Written with a leading backslash, as it always was; it names the same value.
inline constexpr DwordSpec kHideHint{"\\Software\\Veilport\\HideHint", 0};

// 1: this browser is pointed at the Gateway whenever anonymity is on.
inline constexpr DwordSpec kBrowserIE{"Software\\Veilport\\IE", 0};
inline constexpr DwordSpec kBrowserFireFox{"Software\\Veilport\\FireFox", 0};
inline constexpr DwordSpec kBrowserMozilla{"Software\\Veilport\\Mozilla", 0};
inline constexpr DwordSpec kBrowserNetscape{"Software\\Veilport\\Netscape", 0};
inline constexpr DwordSpec kBrowserOpera{"Software\\Veilport\\Opera", 0};
inline constexpr DwordSpec kBrowserAvant{"Software\\Veilport\\Avant", 0};

// Cleaning options.
inline constexpr DwordSpec kAutoClean{"Software\\Veilport\\Setari\\AutoClean", 0};
inline constexpr DwordSpec kSleep{"Software\\Veilport\\Setari\\Sleep", 0};
inline constexpr DwordSpec kIClear[7] = {
    {"Software\\Veilport\\Setari\\IClear1", 0}, {"Software\\Veilport\\Setari\\IClear2", 0},
    {"Software\\Veilport\\Setari\\IClear3", 0}, {"Software\\Veilport\\Setari\\IClear4", 0},
    {"Software\\Veilport\\Setari\\IClear5", 0}, {"Software\\Veilport\\Setari\\IClear6", 0},
    {"Software\\Veilport\\Setari\\IClear7", 0},
};
// 1: the tasks also clean the profiles of these browsers (the Chromium
// family counts as one); off unless the user ticks them, as a pass then
// changes files of programs that are not ours.
inline constexpr DwordSpec kCleanFirefox{"Software\\Veilport\\Setari\\CleanFirefox", 0};
inline constexpr DwordSpec kCleanChromium{"Software\\Veilport\\Setari\\CleanChromium", 0};
// Sites whose cookies and site storage the browser cleaning keeps, separated
// by blanks.
inline constexpr StringSpec kKeepCookieSites{"Software\\Veilport\\Setari\\KeepCookies", ""};

// System values the program reads or changes through the same classes.
inline constexpr std::string_view kInternetSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr DwordSpec kEnableAutodial{
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\EnableAutodial", 0,
    registry::Root::CurrentUser};
inline constexpr DwordSpec kNoNetAutodial{
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\NoNetAutodial", 0,
    registry::Root::CurrentUser};
inline constexpr DwordSpec kProxyHttp11{
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ProxyHttp1.1", 0,
    registry::Root::CurrentUser};
inline constexpr DwordSpec kEnableHttp11{
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\EnableHttp1_1", 0,
    registry::Root::CurrentUser};
inline constexpr StringSpec kDefaultInternet{
    "SOFTWARE\\Microsoft\\RAS AutoDial\\Default\\DefaultInternet", ""};
inline constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr StringSpec kRunEntry{"Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Veilport",
                                      ""};
inline constexpr StringSpec kHttpOpenCommand{"HTTP\\shell\\open\\command\\(Default)", "",
                                             registry::Root::ClassesRoot};

}  // namespace settings
}  // namespace veilport
