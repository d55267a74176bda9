#pragma once

// A fake main window with a tester that records what it was asked to test
// and answers through the real tester logic over a table of live proxies.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "FakePageHost.h"
#include "UiTestSupport.h"
#include "proxypool/ProxyTesterDialog.h"
#include "support/TempHome.h"

namespace veilport::testing {

class RecordingTester : public proxypool::ProxyTesterDialog {
public:
    struct Run {
        std::string host;
        int port;
        std::string adoptText;
    };
    Result run(const std::string& host, int port, const std::string& adoptText) override {
        runs.push_back({host, port, adoptText});
        if (onRun) onRun();
        proxypool::WindowlessTester tester(
            [this](const std::string& h, int p) { return measure(h, p); });
        return tester.run(host, port, adoptText);
    }
    std::uint32_t measure(const std::string& host, int port) const {
        const auto found = live.find(host + ":" + std::to_string(port));
        return found == live.end() ? 0 : found->second;
    }
    std::vector<Run> runs;
    std::map<std::string, std::uint32_t> live;  // "host:port" -> connect ms
    std::function<void()> onRun;
};

class PoolPageTest : public ::testing::Test {
protected:
    PoolPageTest() {
        host.tester = &tester;
        host.get = [this](const std::string& url) {
            // The generator request after an update goes out on a thread of
            // its own; only the list's downloads are counted.
            if (url.find("sortedproxylist") == std::string::npos) return std::string();
            ++downloads;
            return serviceBody;
        };
    }

    TempHome home;
    RecordingTester tester;
    FakePageHost host;
    std::string serviceBody;
    // Counted on the worker thread that downloads.
    std::atomic<int> downloads{0};
};

}  // namespace veilport::testing
