#include "proxypool/CheckRows.h"

#include "proxypool/ConnectTime.h"

namespace veilport::proxypool {

std::string HttpsText(HttpsSupport https) {
    switch (https) {
        case HttpsSupport::Yes:
            return "Yes";
        case HttpsSupport::No:
            return "No";
        case HttpsSupport::NotChecked:
            return "Not checked";
    }
    return "Not checked";
}

std::vector<TesterRow> JudgeRows(const ProxyCheck& check) {
    if (!check.connected) return {};
    if (!check.judgeReachable) return {{kTaskJudge, kNoJudge}};
    if (!check.works) return {{kTaskJudge, check.failure}};
    return {
        {kTaskJudge, "Works"},
        {kTaskFirstByte, ResponseTimeText(check.latencyMs)},
        {kTaskExitAddress, check.exitAddress},
        {kTaskLevel, std::string(LevelText(check.level))},
        {kTaskHttps, HttpsText(check.https)},
        {kTaskCountry, check.country},
    };
}

}  // namespace veilport::proxypool
