#pragma once

// Fakes for what the pool's flows ask of the Gateway, the system proxy switch and
// the windows. Every call is recorded in one shared log, in order, so a test can
// check the sequence of a flow as well as its end state.

#include <gmock/gmock.h>

#include <map>
#include <string>
#include <vector>

#include "proxypool/GatewayControl.h"
#include "proxypool/PoolUi.h"
#include "proxypool/ProxySwitch.h"
#include "proxypool/ProxyTester.h"
#include "support/FakeProxyTester.h"

namespace veilport::proxypool::testing {

using CallLog = std::vector<std::string>;

class FakeGateway : public GatewayControl {
public:
    explicit FakeGateway(CallLog& log) : log_(log) {}
    bool start(int localPort, const std::string& host, int port) override {
        log_.push_back("start " + std::to_string(localPort) + " " + host + " " +
                       std::to_string(port));
        running = startSucceeds;
        return startSucceeds;
    }
    void stop() override {
        log_.push_back("stop");
        running = false;
    }
    bool isRunning() override { return running; }
    void updateUpstream(const std::string& host, int port) override {
        log_.push_back("updateUpstream " + host + " " + std::to_string(port));
    }

    bool running = false;
    bool startSucceeds = true;

private:
    CallLog& log_;
};

class FakeConnection : public ProxySwitch {
public:
    explicit FakeConnection(CallLog& log) : log_(log) {}
    browsers::SwitchReport SetConnectionOptions(const std::string& address) override {
        log_.push_back("SetConnectionOptions " + address);
        systemProxy = address;
        return {};
    }
    browsers::SwitchReport DisableConnectionProxy() override {
        log_.push_back("DisableConnectionProxy");
        systemProxy.clear();
        return {};
    }
    std::string systemProxy;  // empty: direct

private:
    CallLog& log_;
};

class FakeUi : public UserMessages, public StatusLine, public TestedListMirror {
public:
    explicit FakeUi(CallLog& log) : log_(log) {}
    void showMessage(const std::string& text) override { log_.push_back("message " + text); }
    void showSystemMessageBox(const std::string& text, const std::string& caption) override {
        log_.push_back("messageBox " + caption + ": " + text);
    }
    bool askYesNo(const std::string& question) override {
        log_.push_back("ask " + question);
        return answerYes;
    }
    void setStatusText(const std::string& text) override { log_.push_back("status " + text); }
    void addEntry(const std::string& text) override { log_.push_back("dropDown add " + text); }
    void resetToPerformEmptyList() override { log_.push_back("dropDown reset"); }

    // The answer to every question.
    bool answerYes = false;

private:
    CallLog& log_;
};

// The tester is the shared one of every test: support/FakeProxyTester.h,
// which writes its runs to the same log when given it.

}  // namespace veilport::proxypool::testing
