#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "app/pagekit/PageHost.h"
#include "app/window/WindowMessageReceiver.h"
#include "proxypool/ConnectTime.h"

namespace veilport::app {

// Carries out the command line's requests in the running program, through the
// same status page and pool the window uses, and answers each with an exit
// status and the text veilportctl prints:
//   anonymity on/off  the status page's switch (on refuses without a proxy,
//                     changing nothing); then the state, as status
//   anonymity status  state word, upstream, local port, whether the Gateway
//                     listens
//   update            the list update, off the window thread
//   adopt TEXT        test (off the window thread) and adopt, as the add
//                     panel does
class AnonymityCommands : public QObject {
    Q_OBJECT

public:
    AnonymityCommands(WindowMessageReceiver& receiver, PageHost& host);

    // How adopt times a connection; tests may replace it.
    void setConnectMeasure(proxypool::ConnectMeasure measure) { measure_ = std::move(measure); }

private:
    using Reply = WindowMessageReceiver::Reply;

    void anonymity(bool on, const Reply& reply);
    void status(const Reply& reply);
    void update(const Reply& reply);
    void adopt(const QString& text, const Reply& reply);
    void answerWhenSettled(bool on, const Reply& reply, int triesLeft, const std::string& failures);
    static void answer(const Reply& reply, int status, const std::string& text);

    PageHost& host_;
    proxypool::ConnectMeasure measure_ = proxypool::RealConnectMeasure();
};

// The one call the main window makes once its status page exists: the
// receiver's requests go to the page and the pool from then on.
AnonymityCommands* ConnectAnonymityCommands(WindowMessageReceiver& receiver, PageHost& host);

}  // namespace veilport::app
