#pragma once

#include <vector>

#include "app/dialogs/BackgroundUpdate.h"
#include "app/skin/DialogTemplate.h"
#include "app/skin/SkinnedDialog.h"
#include "proxypool/UpdateProgress.h"

namespace veilport::proxypool::ui {

// Live Update: one progress bar and one picture button. Ready shows start; a
// press shows ok and plays the progress sequence around a list update (the
// update itself on a worker, the pauses on timers, so the window keeps
// painting), then the dialog is done; a press in done closes it (cancel).
// Dragged by its body; F1 asks for help.
class ProxyListUpdateDialog : public skin::SkinnedDialog {
    Q_OBJECT

public:
    static constexpr int kProgressId = 1001;
    static constexpr int kButtonId = 1;

    enum class State { Ready, Running, Done };

    ProxyListUpdateDialog(UpdateServices services, QWidget* parent = nullptr);

    State state() const { return state_; }
    // The pause between the bar's steps; tests shorten it.
    void setPauseMs(int ms) { pauseMs_ = ms; }
    // The positions the bar has taken, in order (for tests and screenshots).
    const std::vector<int>& positions() const { return positions_; }

    const skin::DialogTemplate& controls() const { return controls_; }

signals:
    void sequenceFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pressed();
    void playFrom(std::size_t step);

    skin::DialogTemplate controls_;
    UpdateServices services_;
    std::vector<ProgressStep> steps_;
    std::vector<int> positions_;
    State state_ = State::Ready;
    int pauseMs_ = kProgressPauseMs;
};

}  // namespace veilport::proxypool::ui
