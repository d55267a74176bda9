#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/process/WindowEndpoint.h"
#include "platform/process/WindowRequestReader.h"

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
// up is answered with exit status 1 and a short text. Requests are read on a
// thread of their own (WindowRequestReader): a slow or idle client costs the
// window nothing.
class WindowMessageReceiver : public QObject {
    Q_OBJECT

public:
    WindowMessageReceiver(QWidget* window, const QString& title);
    ~WindowMessageReceiver() override;

    // False when the title could not be registered (another live window holds
    // it, or there is no runtime folder); the window then works as usual but
    // cannot be found.
    bool isRegistered() const { return reader_ != nullptr; }

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
    void carryOut(process::IncomingRequest& incoming);

    QPointer<QWidget> window_;
    process::WindowEndpoint endpoint_;
    // Reads requests off the window thread: the window only ever takes whole
    // ones, and never waits on a client. Declared after the endpoint, so it
    // stops before the endpoint closes.
    std::unique_ptr<process::WindowRequestReader> reader_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace veilport::app
