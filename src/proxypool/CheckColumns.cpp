#include "proxypool/CheckColumns.h"

#include <ctime>
#include <limits>

#include "proxypool/CheckRows.h"

namespace veilport::proxypool {

namespace {

constexpr double kLast = std::numeric_limits<double>::max();

std::string ClockText(std::int64_t seconds) {
    if (seconds <= 0) return {};
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    char text[16];
    std::strftime(text, sizeof(text), "%H:%M", &local);
    return text;
}

}  // namespace

std::string CheckColumnText(const ProxyCheck& check, CheckColumn column, std::int64_t checkedAt) {
    if (column == CheckColumn::LastChecked) return ClockText(checkedAt);
    if (!check.works) return column == CheckColumn::Level ? std::string(kDeadMark) : std::string();
    if (!check.judgeReachable)
        return column == CheckColumn::Latency ? std::to_string(check.connectMs) + " ms"
                                              : std::string();
    switch (column) {
        case CheckColumn::Level:
            return std::string(LevelText(check.level));
        case CheckColumn::ExitAddress:
            return check.exitAddress;
        case CheckColumn::Country:
            return check.country;
        case CheckColumn::Https:
            return HttpsText(check.https);
        case CheckColumn::Latency:
            return std::to_string(check.latencyMs) + " ms";
        case CheckColumn::LastChecked:
            break;
    }
    return {};
}

double CheckColumnSortKey(const ProxyCheck& check, CheckColumn column, std::int64_t checkedAt) {
    if (column == CheckColumn::LastChecked) return static_cast<double>(checkedAt);
    if (!check.works) return kLast;
    switch (column) {
        case CheckColumn::Level:
            if (!check.judgeReachable) return 3;
            return check.level == AnonymityLevel::Elite       ? 0
                   : check.level == AnonymityLevel::Anonymous ? 1
                                                              : 2;
        case CheckColumn::Https:
            return check.https == HttpsSupport::Yes ? 0 : check.https == HttpsSupport::No ? 2 : 1;
        case CheckColumn::Latency:
            return check.judgeReachable ? check.latencyMs : check.connectMs;
        case CheckColumn::ExitAddress:
        case CheckColumn::Country:
        case CheckColumn::LastChecked:
            return 0;  // sorted by text
    }
    return 0;
}

}  // namespace veilport::proxypool
