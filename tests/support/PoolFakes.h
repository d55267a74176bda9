#pragma once

// The one set of fakes for what the pool's flows ask of the Gateway, the
// system proxy switch and the person, for core and window tests alike. Each
// fake keeps typed records of its calls; given a call log, it also writes
// every call there in order, so a test can check the sequence of a flow
// across several fakes (the tester, support/FakeProxyTester.h, writes to the
// same log).

#include <string>
#include <vector>

#include "proxypool/GatewayControl.h"
#include "proxypool/PoolUi.h"
#include "proxypool/ProxySwitch.h"

namespace veilport::testing {

using CallLog = std::vector<std::string>;

// Writes to a test's call log when it was given one.
class LoggingFake {
protected:
    LoggingFake() = default;
    explicit LoggingFake(CallLog& log) : log_(&log) {}
    void record(std::string line) const {
        if (log_ != nullptr) log_->push_back(std::move(line));
    }

private:
    CallLog* log_ = nullptr;
};

class FakeGateway : public proxypool::GatewayControl, LoggingFake {
public:
    FakeGateway() = default;
    explicit FakeGateway(CallLog& log) : LoggingFake(log) {}

    bool start(int localPort, const std::string& host, int port) override {
        record("start " + std::to_string(localPort) + " " + host + " " + std::to_string(port));
        starts.push_back({localPort, host, port});
        lastStartTaken = takenPort != 0 && localPort == takenPort;
        running = startSucceeds && !lastStartTaken;
        return running;
    }
    std::string startProblem() const override {
        if (lastStartTaken)
            return "Port " + std::to_string(takenPort) + " is in use by another program";
        return startSucceeds ? std::string() : problem;
    }
    void stop() override {
        record("stop");
        ++stops;
        running = false;
    }
    bool isRunning() override { return running; }
    void updateUpstream(const std::string& host, int port) override {
        record("updateUpstream " + host + " " + std::to_string(port));
        upstreams.push_back({0, host, port});
    }

    struct Call {
        int localPort;
        std::string host;
        int port;
    };
    std::vector<Call> starts;
    std::vector<Call> upstreams;
    int stops = 0;
    bool running = false;
    bool startSucceeds = true;
    // Why a start failed, when it does.
    std::string problem;
    // A port another program holds: a start there fails, others succeed.
    int takenPort = 0;
    bool lastStartTaken = false;
};

class FakeProxySwitch : public proxypool::ProxySwitch, LoggingFake {
public:
    FakeProxySwitch() = default;
    explicit FakeProxySwitch(CallLog& log) : LoggingFake(log) {}

    browsers::SwitchReport SetConnectionOptions(const std::string& address) override {
        record("SetConnectionOptions " + address);
        calls.push_back(address);
        systemProxy = address;
        return report();
    }
    browsers::SwitchReport DisableConnectionProxy() override {
        record("DisableConnectionProxy");
        calls.push_back("direct");
        systemProxy.clear();
        return report();
    }

    // Every switch in order: the address, or "direct".
    std::vector<std::string> calls;
    // Where the system proxy points now; empty: direct.
    std::string systemProxy;
    // A target that fails on every switch, when set.
    std::string failingTarget;

private:
    browsers::SwitchReport report() const {
        browsers::SwitchReport result;
        if (!failingTarget.empty()) result.failed(failingTarget, "Permission denied");
        return result;
    }
};

class FakeMessages : public proxypool::UserMessages, LoggingFake {
public:
    FakeMessages() = default;
    explicit FakeMessages(CallLog& log) : LoggingFake(log) {}

    void showMessage(const std::string& text) override {
        record("message " + text);
        shown.push_back(text);
    }
    void showSystemMessageBox(const std::string& text, const std::string& caption) override {
        record("messageBox " + caption + ": " + text);
        shown.push_back(text);
    }
    bool askYesNo(const std::string& question) override {
        record("ask " + question);
        asked.push_back(question);
        return answerYes;
    }
    std::vector<std::string> shown;
    std::vector<std::string> asked;
    // The answer to every question.
    bool answerYes = false;
};

class FakeTestedMirror : public proxypool::TestedListMirror, LoggingFake {
public:
    FakeTestedMirror() = default;
    explicit FakeTestedMirror(CallLog& log) : LoggingFake(log) {}

    void addEntry(const std::string& text) override {
        record("dropDown add " + text);
        entries.push_back(text);
    }
    void resetToPerformEmptyList() override {
        record("dropDown reset");
        entries = {proxypool::kPerformEmptyList};
    }
    std::vector<std::string> entries{proxypool::kPerformEmptyList};
};

class FakeStatusLine : public proxypool::StatusLine, LoggingFake {
public:
    FakeStatusLine() = default;
    explicit FakeStatusLine(CallLog& log) : LoggingFake(log) {}

    void setStatusText(const std::string& text) override {
        record("status " + text);
        statusText = text;
    }
    std::string statusText;
};

// What the pool's flows show the person, in one object: messages, the status
// line and the tested list's mirror.
class FakeUi : public FakeMessages, public FakeTestedMirror, public FakeStatusLine {
public:
    FakeUi() = default;
    explicit FakeUi(CallLog& log) : FakeMessages(log), FakeTestedMirror(log), FakeStatusLine(log) {}
};

}  // namespace veilport::testing
