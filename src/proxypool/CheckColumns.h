#pragma once

// The columns a checked proxy fills in the New and tested lists, as texts, and
// a key per column that sorts the way people expect (latency by number,
// levels from elite down, dead proxies last).

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "proxypool/ProxyJudge.h"

namespace veilport::proxypool {

enum class CheckColumn { Level, ExitAddress, Country, Https, Latency, LastChecked };
inline constexpr int kCheckColumnCount = 6;

inline constexpr std::array<std::string_view, kCheckColumnCount> kCheckColumnHeadings = {
    "Level", "Exit address", "Country", "HTTPS", "Latency", "Last checked"};

inline constexpr std::string_view kDeadMark = "dead";

// The text of one column for a check made at checkedAt (seconds since the
// epoch, shown as local "HH:MM").
std::string CheckColumnText(const ProxyCheck& check, CheckColumn column, std::int64_t checkedAt);

// A key that sorts ascending from best to worst (or oldest to newest for
// LastChecked); compare keys as numbers.
double CheckColumnSortKey(const ProxyCheck& check, CheckColumn column, std::int64_t checkedAt);

}  // namespace veilport::proxypool
