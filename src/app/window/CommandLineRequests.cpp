#include "app/window/CommandLineRequests.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include "app/dialogs/BackgroundUpdate.h"
#include "app/pagekit/PoolModel.h"
#include "proxypool/AnonymityStatus.h"
#include "proxypool/ProxyText.h"
#include "proxypool/TestAndAdopt.h"
#include "services/ExitStatus.h"
#include "settings/StringSetting.h"

namespace veilport::app {

namespace {

using services::kExitFailed;
using services::kExitNotFound;
// The listener binds on its own thread; the answer waits for it this long.
constexpr int kSettleTries = 150;
constexpr int kSettleStepMs = 20;

constexpr const char* kBusy = "Veilport is updating the proxy list; try again when it is done\n";

}  // namespace

CommandLineRequests* ConnectCommandLineRequests(WindowMessageReceiver& receiver, PageHost& host) {
    return new CommandLineRequests(receiver, host);
}

CommandLineRequests::CommandLineRequests(WindowMessageReceiver& receiver, PageHost& host)
    : QObject(&receiver), host_(host) {
    measure_ = proxypool::RealConnectMeasure(host.pool().backgroundStop());
    connect(&receiver, &WindowMessageReceiver::anonymityRequested, this,
            &CommandLineRequests::anonymity);
    connect(&receiver, &WindowMessageReceiver::anonymityStatusRequested, this,
            &CommandLineRequests::status);
    connect(&receiver, &WindowMessageReceiver::updateRequested, this, &CommandLineRequests::update);
    connect(&receiver, &WindowMessageReceiver::adoptRequested, this, &CommandLineRequests::adopt);
}

void CommandLineRequests::answer(const Reply& reply, int status, const std::string& text) {
    static_cast<void>(reply->send(std::to_string(status) + "\n" + text));
}

void CommandLineRequests::anonymity(bool on, const Reply& reply) {
    if (proxypool::ui::UpdateRunning()) return answer(reply, kExitFailed, kBusy);
    auto& anonymity = host_.anonymity();
    std::string failures;
    if (on && !anonymity.isOn()) {
        if (StringSetting(settings::kProxyName).get().empty())
            return answer(reply, kExitNotFound,
                          "No proxy is selected: choose one in Veilport, or adopt one with "
                          "'veilportctl adopt HOST:PORT' (nothing was changed)\n");
        const auto outcome = anonymity.switchOn();
        failures = outcome.report.failureText();
        // Why it stays off ("Port 8080 is in use by another program"), first.
        if (!outcome.enabled() && !outcome.message.empty())
            failures = outcome.message + "\n" + failures;
    } else if (!on && anonymity.isOn()) {
        failures = anonymity.switchOff().report.failureText();
    }
    answerWhenSettled(on, reply, kSettleTries, failures);
}

void CommandLineRequests::answerWhenSettled(bool on, const Reply& reply, int triesLeft,
                                            const std::string& failures) {
    const bool anonymityOn = host_.anonymity().isOn();
    const bool listening = host_.pool().gateway().isRunning();
    if (on && anonymityOn && !listening && triesLeft > 0) {
        QTimer::singleShot(kSettleStepMs, this, [this, on, reply, triesLeft, failures] {
            answerWhenSettled(on, reply, triesLeft - 1, failures);
        });
        return;
    }
    const bool reached = (on ? anonymityOn && listening : !anonymityOn) && failures.empty();
    answer(reply, reached ? services::kExitOk : kExitFailed,
           failures + proxypool::AnonymityStatusText(listening));
}

void CommandLineRequests::status(const Reply& reply) {
    answer(reply, 0, proxypool::AnonymityStatusText(host_.pool().gateway().isRunning()));
}

void CommandLineRequests::update(const Reply& reply) {
    if (proxypool::ui::UpdateRunning()) return answer(reply, kExitFailed, kBusy);
    proxypool::ui::RunUpdateInBackground(
        {host_.pool().fresh(), host_.messages(), host_.pool().listGet(), host_.pool().get()},
        proxypool::UpdateOrigin::UpdateDialog, this, [this, reply] {
            answer(reply, 0,
                   "New list: " + std::to_string(host_.pool().fresh().rowCount()) + " entries\n" +
                       proxypool::AnonymityStatusText(host_.pool().gateway().isRunning()));
        });
}

void CommandLineRequests::adopt(const QString& text, const Reply& reply) {
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
        // The command line's own tester: it has measured already and shows no window.
        auto context = host_.pool().adoptContext();
        proxypool::AdoptContext windowless{context.tested,     tester,           context.gateway,
                                           context.statusLine, context.dropDown, context.messages};
        const auto outcome =
            proxypool::TestAndAdopt(entry, "", proxypool::AdoptEntryPoint::AddPanel, windowless);
        switch (outcome) {
            case proxypool::AdoptOutcome::Adopted:
                return answer(reply, 0, rows);
            case proxypool::AdoptOutcome::NotAdopted:
                return answer(reply, kExitNotFound, rows);
            case proxypool::AdoptOutcome::FileError:
                return answer(reply, kExitFailed, rows + "MyProxies.txt could not be written\n");
        }
    });
    const proxypool::ConnectMeasure measure = measure_;
    watcher->setFuture(QtConcurrent::run([measure, host = parts.host, port = parts.port] {
        return measure ? measure(host, port) : std::uint32_t{0};
    }));
}

}  // namespace veilport::app
