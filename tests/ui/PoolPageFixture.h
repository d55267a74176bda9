#pragma once

// A fake main window with the shared fake tester, which records what it was
// asked to test and answers through the real tester logic over a table of
// live proxies.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "FakePageHost.h"
#include "UiTestSupport.h"
#include "support/FakeProxyTester.h"
#include "support/TempHome.h"

namespace veilport::testing {

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
    FakeProxyTester tester;
    FakePageHost host;
    std::string serviceBody;
    // Counted on the worker thread that downloads.
    std::atomic<int> downloads{0};
};

}  // namespace veilport::testing
