#pragma once

#include <vector>

#include "app/pagekit/Page.h"
#include "app/pagekit/ServiceListFetcher.h"
#include "app/skin/DialogTemplate.h"
#include "proxypool/UpdateProgress.h"

class QProgressBar;

namespace veilport::proxypool::ui {

// Start fetches the service list again and re-applies anonymity, while the
// bar shows the progress and "Proxy list updated!" the end. The download
// waits off the window thread; start is unavailable until the sequence ends.
class UpdateProxyListPanel : public app::Page {
    Q_OBJECT

public:
    static constexpr int kProgressId = 1021;
    static constexpr int kStartId = 1;

    UpdateProxyListPanel(app::PageHost& host, QWidget* parent);

    QProgressBar* progressBar() const { return progress_; }
    void start();
    bool running() const { return next_ < steps_.size(); }
    // Tests shorten the pauses between the bar's steps.
    void setPause(int milliseconds) { pauseMs_ = milliseconds; }

signals:
    void finished();

private:
    void playNext();

    skin::DialogTemplate controls_;
    QProgressBar* progress_;
    ServiceListFetcher fetcher_;
    std::vector<ProgressStep> steps_;
    std::size_t next_ = 0;
    int pauseMs_ = kProgressPauseMs;
};

}  // namespace veilport::proxypool::ui
