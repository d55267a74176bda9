#pragma once

// The one fake of the pool's tester for every test: it records each run, and
// when "Start" is pressed answers through the real tester logic over a table
// of live proxies ("host:port" -> connect ms; a missing one fails its test),
// then closes with the result the test chooses.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "proxypool/ProxyTester.h"

namespace veilport::testing {

class FakeProxyTester : public proxypool::ProxyTester {
public:
    FakeProxyTester() = default;
    // Each run is also written to `log` ("dialog HOST PORT TEXT"), beside the
    // other fakes' calls, so a test can check a flow's order.
    explicit FakeProxyTester(std::vector<std::string>& log) : log_(&log) {}

    struct Run {
        std::string host;
        int port;
        std::string adoptText;
    };

    Result run(const std::string& host, int port, const std::string& adoptText) override {
        runs.push_back({host, port, adoptText});
        if (log_ != nullptr)
            log_->push_back("dialog " + host + " " + std::to_string(port) + " " + adoptText);
        if (onRun) onRun();
        if (pressStart) {
            proxypool::ProxyTesterSession session(host, port, adoptText, measure());
            session.start();
        }
        return result;
    }

    proxypool::ConnectMeasure measure() const {
        return [this](const std::string& host, int port) {
            const auto found = live.find(host + ":" + std::to_string(port));
            return found == live.end() ? std::uint32_t{0} : found->second;
        };
    }

    std::vector<Run> runs;
    std::map<std::string, std::uint32_t> live;
    std::function<void()> onRun;
    Result result = Result::Ok;
    bool pressStart = true;

private:
    std::vector<std::string>* log_ = nullptr;
};

}  // namespace veilport::testing
