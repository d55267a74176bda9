#include "app/dialogs/ProxyListUpdateDialog.h"

#include <QKeyEvent>
#include <QProgressBar>
#include <QTimer>

#include "app/skin/BitmapButton.h"
#include "app/skin/HelpRequest.h"
#include "app/skin/Pictures.h"

namespace veilport::proxypool::ui {

namespace {

using skin::ControlKind;
namespace picture = skin::picture;

}  // namespace

ProxyListUpdateDialog::ProxyListUpdateDialog(UpdateServices services, QWidget* parent)
    : SkinnedDialog(parent, Kind::TopLevel),
      controls_(this, {240, 92},
                {
                    {kProgressId, ControlKind::ProgressBar, 12, 50, 216, 9},
                    {kButtonId, ControlKind::BitmapPushButton, 95, 70, 50, 14},
                }),
      services_(std::move(services)),
      steps_(UpdateProgressSteps(UpdateOrigin::UpdateDialog)) {
    setObjectName(QStringLiteral("ProxyListUpdateDialog"));
    setWindowTitle(QStringLiteral("Veilport"));
    setWindowIcon(skin::applicationIcon());
    setBackgroundPicture(picture::kUpdateBackground);
    auto* bar = controls_.control<QProgressBar>(kProgressId);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    auto* button = controls_.control<skin::BitmapButton>(kButtonId);
    button->setPictures(picture::kDialogStartNormal, picture::kDialogStartPressed,
                        picture::kDialogStartHover);
    button->setAccessibleName(QStringLiteral("Start"));
    controls_.onClicked(kButtonId, [this] { pressed(); });
}

void ProxyListUpdateDialog::pressed() {
    switch (state_) {
        case State::Ready: {
            state_ = State::Running;
            auto* button = controls_.control<skin::BitmapButton>(kButtonId);
            button->setPictures(picture::kOkNormal, picture::kOkPressed, picture::kOkHover,
                                picture::kOkDisabled, picture::kOkFocus);
            button->setAccessibleName(QStringLiteral("OK"));
            playFrom(0);
            break;
        }
        case State::Running:
            // The sequence finishes first, as the update it reports on does.
            break;
        case State::Done:
            reject();
            break;
    }
}

void ProxyListUpdateDialog::playFrom(std::size_t index) {
    auto* bar = controls_.control<QProgressBar>(kProgressId);
    for (; index < steps_.size(); ++index) {
        const ProgressStep& step = steps_[index];
        switch (step.kind) {
            case ProgressStep::Kind::SetRange:
                bar->setRange(0, step.value);
                break;
            case ProgressStep::Kind::SetPosition:
                bar->setValue(step.value);
                positions_.push_back(step.value);
                break;
            case ProgressStep::Kind::Wait:
                QTimer::singleShot(pauseMs_, this, [this, index] { playFrom(index + 1); });
                return;
            case ProgressStep::Kind::RunUpdate:
                RunUpdateInBackground(services_, UpdateOrigin::UpdateDialog, this,
                                      [this, index] { playFrom(index + 1); });
                return;
            case ProgressStep::Kind::ShowMessage:
                services_.messages.showMessage(step.text);
                break;
        }
    }
    state_ = State::Done;
    emit sequenceFinished();
}

void ProxyListUpdateDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        skin::requestHelp();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    // Escape would leave the update's end unreported; it closes only when done.
    if (event->key() == Qt::Key_Escape && state_ == State::Running) return;
    SkinnedDialog::keyPressEvent(event);
}

}  // namespace veilport::proxypool::ui
