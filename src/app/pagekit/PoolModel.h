#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <stop_token>

#include "platform/secret/PasswordStore.h"
#include "proxypool/GatewayControl.h"
#include "proxypool/NewProxyList.h"
#include "proxypool/PoolUi.h"
#include "proxypool/ProxyHealth.h"
#include "proxypool/ProxyListService.h"
#include "proxypool/ProxySwitch.h"
#include "proxypool/ProxyTester.h"
#include "proxypool/TestAndAdopt.h"
#include "proxypool/TestedProxyList.h"
#include "proxypool/Upstream.h"

namespace veilport::app {

// The proxy pool as the pages share it: the one tested list and the one New
// list, the services the pool's flows run against, and one change signal.
// Every change of either list, whoever made it (a page, a flow, the command
// line through the window), is announced once, on the window thread, and each
// page showing a list refreshes itself from it.
class PoolModel : public QObject {
    Q_OBJECT

public:
    // References must outlive the model.
    struct Services {
        proxypool::GatewayControl& gateway;
        proxypool::ProxySwitch& connection;
        proxypool::UserMessages& messages;
        proxypool::StatusLine& statusLine;
        proxypool::ProxyTester& tester;
        // Downloads with the stored access options (blocking: call them off
        // the window thread).
        proxypool::HttpGet get;
        // The proxy list's download, which goes out directly; empty: `get`.
        proxypool::HttpGet listGet;
    };

    explicit PoolModel(Services services, QObject* parent = nullptr);
    ~PoolModel() override;

    proxypool::TestedProxyList& tested() { return tested_; }
    proxypool::NewProxyList& fresh() { return fresh_; }

    proxypool::GatewayControl& gateway() { return services_.gateway; }
    proxypool::ProxySwitch& connection() { return services_.connection; }
    proxypool::UserMessages& messages() { return services_.messages; }
    proxypool::StatusLine& statusLine() { return services_.statusLine; }
    proxypool::ProxyTester& tester() { return services_.tester; }
    const proxypool::HttpGet& get() const { return services_.get; }
    const proxypool::HttpGet& listGet() const {
        return services_.listGet ? services_.listGet : services_.get;
    }

    // What the latest checks found of each proxy, by its text: the lists'
    // check columns read it, checks and re-tests write it.
    proxypool::ProxyHealth& health() { return health_; }

    // Ends every check running in the background (a batch, a re-test) within
    // about a second; the program calls it on its way out.
    void stopChecks() { emit checksStopped(); }

    // The drop-down that mirrors the tested list as the flows add to it (the
    // status page's); a null one mirrors nowhere.
    void setTestedMirror(proxypool::TestedListMirror* dropDown);
    proxypool::TestedListMirror& testedMirror();

    // What testing and adopting a proxy works with, from any page.
    proxypool::AdoptContext adoptContext();

    // The pages' background work (downloads, proxy tests) watches this and
    // ends as soon as a stop is asked for, so that Exit never waits on a slow
    // server. The window shares the program's own stop with the model.
    void useStopSource(std::stop_source stop) { stop_ = std::move(stop); }
    std::stop_token backgroundStop() const { return stop_.get_token(); }
    void stopBackgroundWork() { stop_.request_stop(); }
    bool stoppingBackgroundWork() const { return stop_.stop_requested(); }
    // Where passwords of adopted proxies are kept; null: for this run only.
    void setPasswords(secret::PasswordStore* passwords) { passwords_ = passwords; }

    // How a Tor on this machine is looked for (blocking; it runs off the
    // window thread). Without one nothing is ever looked for.
    using LocalTorFinder = std::function<std::optional<proxypool::Upstream>()>;
    void setLocalTorFinder(LocalTorFinder finder) { torFinder_ = std::move(finder); }
    // Looks again; changed() follows when the answer differs from the last.
    // A look already under way is not doubled.
    void lookForLocalTor();
    // The Tor found by the latest look, offered to the person, never adopted here.
    const std::optional<proxypool::Upstream>& localTor() const { return localTor_; }

signals:
    // Either list changed.
    void changed();
    // stopChecks() was called: whoever runs checks cancels them.
    void checksStopped();

private:
    Services services_;
    proxypool::TestedProxyList tested_;
    proxypool::NewProxyList fresh_;
    proxypool::ProxyHealth health_;
    proxypool::TestedListMirror* dropDown_ = nullptr;
    std::stop_source stop_;
    secret::PasswordStore* passwords_ = nullptr;
    LocalTorFinder torFinder_;
    std::optional<proxypool::Upstream> localTor_;
    bool lookingForTor_ = false;
};

}  // namespace veilport::app
