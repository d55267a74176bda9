#pragma once

// A main window stand-in for page tests: records what pages ask of it and
// hands them fakes of the services, so a page can be driven alone on the
// offscreen platform. Tests replace any member they need to control.

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "app/window/AnonymityControl.h"
#include "app/window/PageHost.h"

namespace veilport::testing {

class FakeAnonymity : public app::AnonymityControl {
public:
    bool ApplyAnonymity() override {
        ++applyCalls;
        return applyResult;
    }
    void ToggleAnonymity() override { ++toggleCalls; }
    QString realIp() const override { return ip; }
    void refreshLists() override { ++refreshCalls; }

    int applyCalls = 0;
    int toggleCalls = 0;
    int refreshCalls = 0;
    bool applyResult = true;
    QString ip = QStringLiteral("10.1.2.3");
};

class FakeGatewayControl : public proxypool::GatewayControl {
public:
    bool start(int localPort, const std::string& host, int port) override {
        starts.push_back({localPort, host, port});
        running = startResult;
        return startResult;
    }
    void stop() override {
        ++stops;
        running = false;
    }
    bool isRunning() override { return running; }
    void updateUpstream(const std::string& host, int port) override {
        upstreams.push_back({0, host, port});
    }
    std::string startProblem() const override { return startResult ? std::string() : problem; }

    struct Call {
        int localPort;
        std::string host;
        int port;
    };
    std::vector<Call> starts;
    std::vector<Call> upstreams;
    int stops = 0;
    bool running = false;
    bool startResult = true;
    std::string problem;
};

class FakeConnectionSwitch : public proxypool::ConnectionSwitch {
public:
    browsers::SwitchReport SetConnectionOptions(const std::string& proxyAddress) override {
        calls.push_back(proxyAddress);
        return {};
    }
    browsers::SwitchReport DisableConnectionProxy() override {
        calls.push_back("direct");
        return {};
    }
    std::vector<std::string> calls;
};

class FakeMessages : public proxypool::UserMessages {
public:
    void showMessage(const std::string& text) override { shown.push_back(text); }
    void showSystemMessageBox(const std::string& text, const std::string&) override {
        shown.push_back(text);
    }
    std::vector<std::string> shown;
};

class FakeTestedDropDown : public proxypool::TestedDropDown {
public:
    void addEntry(const std::string& text) override { entries.push_back(text); }
    void resetToPerformEmptyList() override { entries = {proxypool::kPerformEmptyList}; }
    std::vector<std::string> entries{proxypool::kPerformEmptyList};
};

class FakePageHost : public app::PageHost, public proxypool::MainStatusLine {
public:
    void setRealIpLine(const QString& text) override { realIpLine = text; }
    void setIpInUseLine(const QString& text) override { ipInUseLine = text; }
    void setTipText(const QString& text) override { tipText = text; }
    void showPage(app::PageId page) override { shownPages.push_back(page); }
    void hideToTray() override { ++hides; }
    app::AnonymityControl& anonymity() override { return fakeAnonymity; }
    proxypool::TestedProxyList& testedList() override { return tested; }
    proxypool::NewProxyList& newList() override { return newProxies; }
    void poolChanged() override { ++poolChanges; }
    proxypool::GatewayControl& gateway() override { return fakeGateway; }
    proxypool::ConnectionSwitch& connection() override { return fakeConnection; }
    proxypool::UserMessages& messages() override { return fakeMessages; }
    proxypool::MainStatusLine& statusLine() override { return *this; }
    proxypool::TestedDropDown& testedDropDown() override { return fakeDropDown; }
    proxypool::ProxyTesterDialog& testerDialog() override { return *tester; }
    const proxypool::HttpGet& httpGet() override { return get; }

    void setStatusText(const std::string& text) override {
        ipInUseLine = QString::fromStdString(text);
    }

    QString realIpLine;
    QString ipInUseLine;
    QString tipText;
    std::vector<app::PageId> shownPages;
    int hides = 0;
    int poolChanges = 0;
    FakeAnonymity fakeAnonymity;
    proxypool::TestedProxyList tested;
    proxypool::NewProxyList newProxies;
    FakeGatewayControl fakeGateway;
    FakeConnectionSwitch fakeConnection;
    FakeMessages fakeMessages;
    FakeTestedDropDown fakeDropDown;
    // Tests set this (for example to a WindowlessTester over a fake measure).
    proxypool::ProxyTesterDialog* tester = nullptr;
    // The service-list download; empty answers by default.
    proxypool::HttpGet get = [](const std::string&) { return std::string(); };
};

}  // namespace veilport::testing
