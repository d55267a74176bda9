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
#include "support/PoolFakes.h"

namespace veilport::testing {

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
    void openWebPage(std::string_view path) override { webPages.emplace_back(path); }

    void setStatusText(const std::string& text) override {
        ipInUseLine = QString::fromStdString(text);
    }

    QString realIpLine;
    QString ipInUseLine;
    QString tipText;
    std::vector<app::PageId> shownPages;
    int hides = 0;
    std::vector<std::string> webPages;
    // How often the pool announced a change of its lists.
    int poolChanges = 0;
    FakeGateway fakeGateway;
    FakeProxySwitch fakeConnection;
    // The real use case over the fake Gateway and switch.
    services::Anonymity anonymityService{fakeGateway, fakeConnection};
    QString ip = QStringLiteral("10.1.2.3");
    FakeMessages fakeMessages;
    FakeTestedMirror fakeDropDown;
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
