#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "gateway/Gateway.h"
#include "platform/secret/KeptPasswords.h"
#include "services/Failover.h"

namespace veilport::app {

class MainWindow;

// Brings to the window what happens to the upstream on other threads: a
// failover the Gateway made (ProxyName, the status line and the pages follow,
// and the person is told), and the password store's notice that passwords
// are kept for this session only. Messages from threads that outlive the
// window are dropped once it is gone.
class UpstreamWatch : public QObject {
    Q_OBJECT

public:
    explicit UpstreamWatch(MainWindow& window);
    ~UpstreamWatch() override;

    // Failover on `gateway` (while its setting is on), with the passwords of
    // the tested proxies from `passwords`.
    void watchFailover(Gateway& gateway, std::shared_ptr<secret::PasswordStore> passwords,
                       services::UpstreamAnswers answers = services::TimedConnectAnswers());
    // The notice once, when a password could not reach the desktop's store.
    void watchPasswords(secret::KeptPasswords& passwords);

private:
    struct Relay;
    void failedOver(const QString& notice);

    MainWindow& window_;
    std::shared_ptr<Relay> relay_;
    Gateway* gateway_ = nullptr;
    secret::KeptPasswords* passwords_ = nullptr;
};

}  // namespace veilport::app
