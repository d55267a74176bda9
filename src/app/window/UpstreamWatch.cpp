#include "app/window/UpstreamWatch.h"

#include <QMetaObject>
#include <mutex>

#include "app/window/MainWindow.h"
#include "proxypool/PoolUi.h"
#include "settings/AnonymityFlag.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"

namespace veilport::app {

// Posts to the watch from any thread for as long as it lives: the watch
// forgets itself here under the lock before it goes, so nothing is posted to
// an object being destroyed, and what was posted before dies with it.
struct UpstreamWatch::Relay {
    std::mutex mutex;
    UpstreamWatch* watch = nullptr;

    template <typename F>
    void post(F&& run) {
        std::lock_guard lock(mutex);
        if (watch != nullptr)
            QMetaObject::invokeMethod(watch, std::forward<F>(run), Qt::QueuedConnection);
    }
};

UpstreamWatch::UpstreamWatch(MainWindow& window)
    : QObject(&window), window_(window), relay_(std::make_shared<Relay>()) {
    relay_->watch = this;
}

UpstreamWatch::~UpstreamWatch() {
    if (gateway_ != nullptr) gateway_->setFailoverHandler({});
    if (passwords_ != nullptr) passwords_->setNoticeListener({});
    std::lock_guard lock(relay_->mutex);
    relay_->watch = nullptr;
}

void UpstreamWatch::watchFailover(Gateway& gateway,
                                  std::shared_ptr<secret::PasswordStore> passwords,
                                  services::UpstreamAnswers answers) {
    gateway_ = &gateway;
    services::InstallFailover(
        gateway, std::move(passwords),
        [relay = relay_](const std::string& text) {
            relay->post([relay, notice = QString::fromStdString(text)] {
                std::unique_lock lock(relay->mutex);
                UpstreamWatch* watch = relay->watch;
                lock.unlock();
                if (watch != nullptr) watch->failedOver(notice);
            });
        },
        std::move(answers));
}

void UpstreamWatch::watchPasswords(secret::KeptPasswords& passwords) {
    passwords_ = &passwords;
    passwords.setNoticeListener([relay = relay_](const std::string& text) {
        relay->post([relay, notice = text] {
            std::unique_lock lock(relay->mutex);
            UpstreamWatch* watch = relay->watch;
            lock.unlock();
            if (watch != nullptr) watch->window_.messages().showMessage(notice);
        });
    });
}

void UpstreamWatch::failedOver(const QString& notice) {
    // ProxyName has moved on (or stayed, when no other proxy answered).
    if (AnonymityFlag::isOn())
        window_.setStatusText(proxypool::kCurrentIpPrefix +
                              StringSetting(settings::kProxyName).get());
    emit window_.pool().changed();
    window_.showNotice(notice);
}

}  // namespace veilport::app
