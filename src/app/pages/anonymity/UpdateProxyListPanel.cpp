#include "app/pages/anonymity/UpdateProxyListPanel.h"

#include <QProgressBar>
#include <QTimer>

#include "app/pagekit/PageControls.h"
#include "app/pagekit/PoolModel.h"
#include "app/skin/BitmapButton.h"

namespace veilport::proxypool::ui {

using skin::ControlKind;

UpdateProxyListPanel::UpdateProxyListPanel(app::PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(this, app::kPageSizeInUnits,
                {
                    {1071, ControlKind::Static, 14, 12, 245, 40,
                     "This will update the proxy list you are using.\n\nPress start to begin "
                     "updating!"},
                    {kProgressId, ControlKind::ProgressBar, 14, 70, 245, 12},
                    {1040, ControlKind::Static, 14, 88, 245, 10},
                    {kStartId, ControlKind::BitmapPushButton, 209, 190, 50, 15},
                }),
      progress_(controls_.control<QProgressBar>(kProgressId)) {
    app::dressPage(this);
    app::dressPageButton(controls_.control<skin::BitmapButton>(kStartId), app::PageButton::Start);
    app::nameControls(controls_, {{kProgressId, "Update progress"}});
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    controls_.onClicked(kStartId, [this] { start(); });
}

void UpdateProxyListPanel::start() {
    if (running()) return;
    steps_ = UpdateProgressSteps(UpdateOrigin::UpdatePanel);
    next_ = 0;
    controls_.control(kStartId)->setEnabled(false);
    playNext();
}

void UpdateProxyListPanel::playNext() {
    while (next_ < steps_.size()) {
        const ProgressStep step = steps_[next_++];
        switch (step.kind) {
            case ProgressStep::Kind::SetRange:
                progress_->setRange(0, step.value);
                break;
            case ProgressStep::Kind::SetPosition:
                progress_->setValue(step.value);
                break;
            case ProgressStep::Kind::Wait:
                QTimer::singleShot(pauseMs_, this, [this] { playNext(); });
                return;
            case ProgressStep::Kind::RunUpdate: {
                auto context = std::make_shared<UpdateContext>(UpdateContext{
                    host().pool().fresh(), host().pool().listGet(), host().pool().get(), [this] { update(); }});
                fetcher_.request(
                    host().pool().listGet(), [] {},
                    [this, context](const std::string& body) {
                        FinishProxyListUpdate(*context, UpdateOrigin::UpdatePanel, body);
                        playNext();
                    });
                return;
            }
            case ProgressStep::Kind::ShowMessage:
                host().messages().showMessage(step.text);
                break;
        }
    }
    controls_.control(kStartId)->setEnabled(true);
    emit finished();
}

}  // namespace veilport::proxypool::ui
