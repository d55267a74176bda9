#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/process/WindowEndpoint.h"

class QSocketNotifier;

namespace veilport::app {

// Makes a top-level window findable by its title by other programs (a second
// Veilport, Quenchor) and carries out what they post: "show" restores the
// window from hidden or minimised, raises it and activates it; "close" ends
// it with result 0 when it is a dialog (closes it otherwise), and nothing
// else is switched off.
//
// The command line's requests (anonymity on, off and status, update, adopt)
// are handed on as signals with the reply they must be answered through
// (CommandLineRequests does that for the status page). A request nobody took
// up is answered with exit status 1 and a short text.
class WindowMessageReceiver : public QObject {
    Q_OBJECT

public:
    WindowMessageReceiver(QWidget* window, const QString& title);

    // False when the title could not be registered (another live window holds
    // it, or there is no runtime folder); the window then works as usual but
    // cannot be found.
    bool isRegistered() const { return endpoint_.valid(); }

    using Reply = std::shared_ptr<process::WindowReply>;

signals:
    void showRequested();
    void closeRequested();
    void anonymityRequested(bool on, std::shared_ptr<veilport::process::WindowReply> reply);
    void anonymityStatusRequested(std::shared_ptr<veilport::process::WindowReply> reply);
    void updateRequested(std::shared_ptr<veilport::process::WindowReply> reply);
    void adoptRequested(const QString& text, std::shared_ptr<veilport::process::WindowReply> reply);

private:
    void takeMessages();

    QPointer<QWidget> window_;
    process::WindowEndpoint endpoint_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace veilport::app
