#include "app/window/WindowMessageReceiver.h"

#include <QDialog>
#include <QSocketNotifier>

namespace veilport::app {

WindowMessageReceiver::WindowMessageReceiver(QWidget* window, const QString& title)
    : QObject(window),
      window_(window),
      endpoint_(process::WindowEndpoint::registerTitle(title.toStdString())) {
    if (!endpoint_.valid()) return;
    notifier_ = new QSocketNotifier(endpoint_.fd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &WindowMessageReceiver::takeMessages);
}

void WindowMessageReceiver::takeMessages() {
    const auto message = endpoint_.receive();
    if (!message || window_ == nullptr) return;
    switch (*message) {
        case process::WindowMessage::Show:
            if (window_->isMinimized()) {
                window_->showNormal();
            } else {
                window_->show();
            }
            window_->raise();
            window_->activateWindow();
            emit showRequested();
            break;
        case process::WindowMessage::Close:
            emit closeRequested();
            if (auto* dialog = qobject_cast<QDialog*>(window_.data())) {
                dialog->done(0);
            } else {
                window_->close();
            }
            break;
    }
}

}  // namespace veilport::app
