#pragma once

// A main window stand-in for page tests: records what pages ask of it and
// hands them fakes of the services, so a page can be driven alone on the
// offscreen platform. Tests replace any member they need to control.

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "app/pagekit/AnonymityOutcomeMessages.h"
#include "app/pagekit/PageHost.h"
#include "app/pagekit/PoolModel.h"
#include "services/Anonymity.h"

namespace veilport::testing {

class FakeGatewayControl : public proxypool::GatewayControl {
public:
    bool start(int localPort, const std::string& host, int port) override {
        starts.push_back({localPort, host, port});
        lastStartTaken = takenPort != 0 && localPort == takenPort;
        running = startResult && !lastStartTaken;
        return running;
    }
    void stop() override {
        ++stops;
        running = false;
    }
    bool isRunning() override { return running; }
    void updateUpstream(const std::string& host, int port) override {
        upstreams.push_back({0, host, port});
    }
    std::string startProblem() const override {
        if (lastStartTaken)
            return "Port " + std::to_string(takenPort) + " is in use by another program";
        return startResult ? std::string() : problem;
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
    bool startResult = true;
    std::string problem;
    // A port another program holds: a start there fails, others succeed.
    int takenPort = 0;
    bool lastStartTaken = false;
};

class FakeConnectionSwitch : public proxypool::ProxySwitch {
public:
    browsers::SwitchReport SetConnectionOptions(const std::string& proxyAddress) override {
        calls.push_back(proxyAddress);
        return report();
    }
    browsers::SwitchReport DisableConnectionProxy() override {
        calls.push_back("direct");
        return report();
    }
    std::vector<std::string> calls;
    // A target that fails on every switch, when set.
    std::string failingTarget;

private:
    browsers::SwitchReport report() const {
        browsers::SwitchReport result;
        if (!failingTarget.empty()) result.failed(failingTarget, "Permission denied");
        return result;
    }
};

class FakeMessages : public proxypool::UserMessages {
public:
    void showMessage(const std::string& text) override { shown.push_back(text); }
    void showSystemMessageBox(const std::string& text, const std::string&) override {
        shown.push_back(text);
    }
    bool askYesNo(const std::string& question) override {
        asked.push_back(question);
        return answerYes;
    }
    std::vector<std::string> shown;
    std::vector<std::string> asked;
    // The answer to every question.
    bool answerYes = false;
};

class FakeTestedDropDown : public proxypool::TestedListMirror {
public:
    void addEntry(const std::string& text) override { entries.push_back(text); }
    void resetToPerformEmptyList() override { entries = {proxypool::kPerformEmptyList}; }
    std::vector<std::string> entries{proxypool::kPerformEmptyList};
};

// Hands every run to the tester the test chose, when it runs.
class ChosenTester : public proxypool::ProxyTester {
public:
    explicit ChosenTester(proxypool::ProxyTester*& chosen) : chosen_(chosen) {}
    Result run(const std::string& host, int port, const std::string& adoptText) override {
        return chosen_->run(host, port, adoptText);
    }

private:
    proxypool::ProxyTester*& chosen_;
};

class FakePageHost : public app::PageHost, public proxypool::StatusLine {
public:
    // As the main window does: whoever changes anonymity, its outcome's
    // messages reach the person.
    FakePageHost() {
        anonymityService.onChanged([this](const services::AnonymityOutcome& outcome) {
            app::ShowAnonymityOutcome(outcome, fakeMessages);
        });
        poolModel.setTestedMirror(&fakeDropDown);
        QObject::connect(&poolModel, &app::PoolModel::changed, [this] { ++poolChanges; });
    }

    void setRealIpLine(const QString& text) override { realIpLine = text; }
    void setIpInUseLine(const QString& text) override { ipInUseLine = text; }
    void setTipText(const QString& text) override { tipText = text; }
    void showPage(app::PageId page) override { shownPages.push_back(page); }
    void hideToTray() override { ++hides; }
    services::Anonymity& anonymity() override { return anonymityService; }
    QString realIp() override { return ip; }
    app::PoolModel& pool() override { return poolModel; }
    proxypool::UserMessages& messages() override { return fakeMessages; }

    void setStatusText(const std::string& text) override {
        ipInUseLine = QString::fromStdString(text);
    }

    QString realIpLine;
    QString ipInUseLine;
    QString tipText;
    std::vector<app::PageId> shownPages;
    int hides = 0;
    // How often the pool announced a change of its lists.
    int poolChanges = 0;
    FakeGatewayControl fakeGateway;
    FakeConnectionSwitch fakeConnection;
    // The real use case over the fake Gateway and switch.
    services::Anonymity anonymityService{fakeGateway, fakeConnection};
    QString ip = QStringLiteral("10.1.2.3");
    FakeMessages fakeMessages;
    FakeTestedDropDown fakeDropDown;
    // Tests set this (for example to a WindowlessTester over a fake measure).
    proxypool::ProxyTester* tester = nullptr;
    // The service-list download; empty answers by default.
    proxypool::HttpGet get = [](const std::string&) { return std::string(); };

private:
    ChosenTester chosenTester{tester};

public:
    // The real pool model over the fakes; its lists are the ones pages use.
    app::PoolModel poolModel{{fakeGateway,
                              fakeConnection,
                              fakeMessages,
                              *this,
                              chosenTester,
                              [this](const std::string& url) { return get(url); },
                              {}}};
    proxypool::TestedProxyList& tested = poolModel.tested();
    proxypool::NewProxyList& newProxies = poolModel.fresh();
};

}  // namespace veilport::testing
