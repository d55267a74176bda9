#include "app/window/WindowMessageReceiver.h"

#include <QDialog>
#include <QSocketNotifier>

namespace veilport::app {

WindowMessageReceiver::WindowMessageReceiver(QWidget* window, const QString& title)
    : QObject(window),
      window_(window),
      endpoint_(process::WindowEndpoint::registerTitle(title.toStdString())) {
    if (!endpoint_.valid()) return;
    reader_ = std::make_unique<process::WindowRequestReader>(endpoint_);
    if (!reader_->running()) {
        reader_.reset();
        return;
    }
    notifier_ = new QSocketNotifier(reader_->readyFd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &WindowMessageReceiver::takeMessages);
}

WindowMessageReceiver::~WindowMessageReceiver() {
    // The notifier watches the reader's descriptor: it goes first.
    delete notifier_;
    notifier_ = nullptr;
}

void WindowMessageReceiver::takeMessages() {
    if (!reader_) return;
    // What a request sets off (a close) may end this object on the way.
    const QPointer<WindowMessageReceiver> alive(this);
    for (auto& incoming : reader_->take()) {
        if (alive.isNull() || window_ == nullptr) return;
        carryOut(incoming);
    }
}

void WindowMessageReceiver::carryOut(process::IncomingRequest& incoming) {
    const Reply reply = std::move(incoming.reply);
    switch (incoming.request.message) {
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
        case process::WindowMessage::AnonymityOn:
            emit anonymityRequested(true, reply);
            break;
        case process::WindowMessage::AnonymityOff:
            emit anonymityRequested(false, reply);
            break;
        case process::WindowMessage::AnonymityStatus:
            emit anonymityStatusRequested(reply);
            break;
        case process::WindowMessage::UpdateProxyList:
            emit updateRequested(reply);
            break;
        case process::WindowMessage::AdoptProxy:
            emit adoptRequested(QString::fromStdString(incoming.request.argument), reply);
            break;
    }
    // Posted messages expect no answer; a request nobody kept is told so.
    const bool posted = incoming.request.message == process::WindowMessage::Show ||
                        incoming.request.message == process::WindowMessage::Close;
    if (!posted && reply.use_count() == 1 && !reply->sent())
        static_cast<void>(reply->send("1\nVeilport cannot carry out this request\n"));
}

}  // namespace veilport::app
