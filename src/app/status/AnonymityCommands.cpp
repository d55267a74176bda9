#include "app/status/AnonymityCommands.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include "app/window/AnonymityControl.h"
#include "proxypool/AnonymityStatus.h"
#include "proxypool/ProxyText.h"
#include "proxypool/TestAndAdopt.h"
#include "proxypool/ui/BackgroundUpdate.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::app {

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitFileError = 3;
// The listener binds on its own thread; the answer waits for it this long.
constexpr int kSettleTries = 150;
constexpr int kSettleStepMs = 20;

constexpr const char* kBusy = "Veilport is updating the proxy list; try again when it is done\n";

bool AnonymityOn() {
    return DwordSetting(settings::kUseProxy).get() == 1;
}

}  // namespace

AnonymityCommands* ConnectAnonymityCommands(WindowMessageReceiver& receiver, PageHost& host) {
    return new AnonymityCommands(receiver, host);
}

AnonymityCommands::AnonymityCommands(WindowMessageReceiver& receiver, PageHost& host)
    : QObject(&receiver), host_(host) {
    connect(&receiver, &WindowMessageReceiver::anonymityRequested, this,
            &AnonymityCommands::anonymity);
    connect(&receiver, &WindowMessageReceiver::anonymityStatusRequested, this,
            &AnonymityCommands::status);
    connect(&receiver, &WindowMessageReceiver::updateRequested, this, &AnonymityCommands::update);
    connect(&receiver, &WindowMessageReceiver::adoptRequested, this, &AnonymityCommands::adopt);
}

void AnonymityCommands::answer(const Reply& reply, int status, const std::string& text) {
    static_cast<void>(reply->send(std::to_string(status) + "\n" + text));
}

void AnonymityCommands::anonymity(bool on, const Reply& reply) {
    if (proxypool::ui::UpdateRunning()) return answer(reply, kExitFailed, kBusy);
    if (on && !AnonymityOn()) {
        if (StringSetting(settings::kProxyName).get().empty())
            return answer(reply, kExitFailed,
                          "No proxy is selected: choose one in Veilport, or adopt one with "
                          "'veilportctl adopt HOST:PORT' (nothing was changed)\n");
        host_.anonymity().ToggleAnonymity();
    } else if (!on && AnonymityOn()) {
        host_.anonymity().ToggleAnonymity();
    }
    answerWhenSettled(on, reply, kSettleTries);
}

void AnonymityCommands::answerWhenSettled(bool on, const Reply& reply, int triesLeft) {
    const bool listening = host_.gateway().isRunning();
    if (on && AnonymityOn() && !listening && triesLeft > 0) {
        QTimer::singleShot(kSettleStepMs, this, [this, on, reply, triesLeft] {
            answerWhenSettled(on, reply, triesLeft - 1);
        });
        return;
    }
    const bool reached = on ? AnonymityOn() && listening : !AnonymityOn();
    const std::string why = on && !reached ? host_.anonymity().lastProblem() : std::string();
    answer(reply, reached ? 0 : kExitFailed,
           (why.empty() ? std::string() : why + "\n") + proxypool::AnonymityStatusText(listening));
}

void AnonymityCommands::status(const Reply& reply) {
    answer(reply, 0, proxypool::AnonymityStatusText(host_.gateway().isRunning()));
}

void AnonymityCommands::update(const Reply& reply) {
    if (proxypool::ui::UpdateRunning()) return answer(reply, kExitFailed, kBusy);
    proxypool::ui::RunUpdateInBackground(
        {host_.newList(), host_.messages(), host_.listGet(), host_.httpGet()},
        proxypool::UpdateOrigin::UpdateDialog, this, [this, reply] {
            host_.poolChanged();
            answer(reply, 0,
                   "New list: " + std::to_string(host_.newList().rowCount()) + " entries\n" +
                       proxypool::AnonymityStatusText(host_.gateway().isRunning()));
        });
}

void AnonymityCommands::adopt(const QString& text, const Reply& reply) {
    const std::string entry = text.toStdString();
    const auto parts = proxypool::SplitProxyText(entry);
    auto* watcher = new QFutureWatcher<std::uint32_t>(this);
    connect(watcher, &QFutureWatcher<std::uint32_t>::finished, this, [this, watcher, entry, reply] {
        const std::uint32_t ms = watcher->result();
        watcher->deleteLater();
        std::string rows;
        proxypool::WindowlessTester tester([ms](const std::string&, int) { return ms; },
                                           [&rows](const proxypool::ProxyTesterSession& session) {
                                               rows = session.detailsText() + "\n";
                                               for (const auto& row : session.rows())
                                                   rows += row.task + "\t" + row.response + "\n";
                                           });
        proxypool::AdoptContext context{host_.testedList(),     tester,
                                        host_.gateway(),        host_.statusLine(),
                                        host_.testedDropDown(), host_.messages()};
        const auto outcome =
            proxypool::TestAndAdopt(entry, "", proxypool::AdoptEntryPoint::AddPanel, context);
        host_.poolChanged();
        switch (outcome) {
            case proxypool::AdoptOutcome::Adopted:
                return answer(reply, 0, rows);
            case proxypool::AdoptOutcome::NotAdopted:
                return answer(reply, kExitFailed, rows);
            case proxypool::AdoptOutcome::FileError:
                return answer(reply, kExitFileError, rows + "MyProxies.txt could not be written\n");
        }
    });
    const proxypool::ConnectMeasure measure = measure_;
    watcher->setFuture(QtConcurrent::run([measure, host = parts.host, port = parts.port] {
        return measure ? measure(host, port) : std::uint32_t{0};
    }));
}

}  // namespace veilport::app
