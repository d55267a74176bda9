#pragma once

#include <QFutureWatcher>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/skin/DialogTemplate.h"
#include "app/skin/SkinnedDialog.h"
#include "proxypool/ProxyJudge.h"
#include "proxypool/ProxyTester.h"

class QProgressBar;
class QTreeWidget;

namespace veilport::proxypool::ui {

// The skinned tester pop-up: "Proxy details: host:port", a list of what each
// start found, a progress bar, and start, done and cancel. Each start times
// one connection off the window thread, so the dialog keeps answering (and
// cancel closes it) while a dead proxy makes the connect wait; the rows and
// the settings values are written on the window thread once the time is
// known. Done stays unavailable until a test of this proxy has finished:
// closing with OK must never hand the caller the values of an earlier run.
// With a judge, each start also sends a real request through the proxy and
// shows what the judge saw, one row a fact (works, latency, exit address,
// level, HTTPS, country).
class ProxyTesterDialog : public skin::SkinnedDialog, public proxypool::ProxyTester {
    Q_OBJECT

public:
    static constexpr int kListId = 1000;
    static constexpr int kProgressId = 1001;
    static constexpr int kDetailsId = 1003;
    static constexpr int kStartId = 1004;
    static constexpr int kDoneId = 1;
    static constexpr int kCancelId = 2;

    // The judge's check of one proxy; empty: the connect time only.
    using JudgeCheck =
        std::function<ProxyCheck(const ListedProxy& proxy, const inet::CancelCheck& cancelled)>;

    explicit ProxyTesterDialog(QWidget* parent = nullptr,
                               ConnectMeasure measure = RealConnectMeasure());

    void setJudgeCheck(JudgeCheck check) { judgeCheck_ = std::move(check); }
    // A check by the judge the settings name, made anew when JudgeUrl changes
    // (so the user's real address is asked once per judge and session).
    static JudgeCheck settingsJudge();
    ~ProxyTesterDialog() override;

    // Shows the dialog modally for one proxy and returns how it was closed.
    Result run(const std::string& host, int port, const std::string& adoptText) override;

    // Sets the dialog up for one proxy without showing it (run does this first).
    void prepare(const std::string& host, int port, const std::string& adoptText);

    // What a press of start does; ignored while a test is running.
    void startTest();
    bool testRunning() const;

    const skin::DialogTemplate& controls() const { return controls_; }

signals:
    // A test finished and its rows are shown.
    void testFinished(bool succeeded);

public slots:
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void forgetRunningTest();
    void measured(const ProxyCheck& check);
    void showRows();

    skin::DialogTemplate controls_;
    ConnectMeasure measure_;
    // What this proxy's test runs: measure_, or a SOCKS5 greeting.
    ConnectMeasure activeMeasure_;
    JudgeCheck judgeCheck_;
    std::unique_ptr<ProxyTesterSession> session_;
    std::string host_;
    int port_ = 0;
    std::string adoptText_;
    std::uint32_t lastMs_ = 0;
    // The running test's, null while none runs.
    QFutureWatcher<ProxyCheck>* watcher_ = nullptr;
    // Set when the running test is forgotten, so its check gives up early.
    std::shared_ptr<std::atomic<bool>> abandon_;
};

}  // namespace veilport::proxypool::ui
