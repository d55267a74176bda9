#include "proxypool/ProxyTesterSession.h"

#include "proxypool/CheckRows.h"
#include "proxypool/ProxyJudge.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::proxypool {

namespace {

// The tester's results must be stored even when equal to what the setting
// object read, because the code that opened the dialog reads them back.
void Store(const StringSpec& spec, const std::string& text) {
    StringSetting setting(spec);
    setting.set(text);
    setting.write();
}

void Store(const DwordSpec& spec, std::uint32_t value) {
    DwordSetting setting(spec);
    setting.set(value);
    setting.write();
}

}  // namespace

ProxyTesterSession::ProxyTesterSession(std::string host, int port, std::string adoptText,
                                       ConnectMeasure measure, bool storeResults)
    : host_(std::move(host)),
      port_(port),
      adoptText_(std::move(adoptText)),
      measure_(std::move(measure)),
      storeResults_(storeResults) {}

void ProxyTesterSession::start() {
    ProxyCheck check;
    const std::uint32_t ms = measure_ ? measure_(host_, port_) : 0;
    check.connected = ms > 0;
    check.connectMs = ms;
    record(check, false);
}

void ProxyTesterSession::start(const ProxyCheck& check) {
    record(check, true);
}

void ProxyTesterSession::record(const ProxyCheck& check, bool judged) {
    const std::uint32_t ms = check.connectMs;
    succeeded_ = check.connected && ms > 0 && (!judged || check.works);
    if (check.connected && ms > 0) {
        const auto response = ResponseTimeText(ms);
        rows_.push_back({"Get proxy response time", response});
        progress_ = 100;
        const auto speed = SpeedText(ms);
        rows_.push_back({"Get proxy download speed", speed});
        if (judged)
            for (auto& row : JudgeRows(check)) rows_.push_back(std::move(row));
        rows_.push_back({"Test Completed", succeeded_ ? "Proxy ready" : kProxyDoesNotWork});
        if (storeResults_ && succeeded_) {
            Store(settings::kTmpResponseTime, response);
            Store(settings::kTmpDownloadSpeed, speed);
            // ProxyName is the adopting flow's to write once the user has
            // pressed OK: Cancel after a passed test must change nothing.
            Store(settings::kFail, 0);
        } else if (storeResults_) {
            // Connected but failed the judge: a failed test, as a dead one is.
            Store(settings::kTmpResponseTime, "");
            Store(settings::kFail, 1);
        }
    } else {
        rows_.push_back({"Proxy server is NOT AVAILABLE", "Connection Failure"});
        if (storeResults_) {
            Store(settings::kTmpResponseTime, "");
            Store(settings::kFail, 1);
        }
    }
}

std::string ProxyTesterSession::detailsText() const {
    return "Proxy details: " + host_ + ":" + std::to_string(port_);
}

}  // namespace veilport::proxypool
