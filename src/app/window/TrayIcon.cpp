#include "app/window/TrayIcon.h"

#include <QSystemTrayIcon>

namespace veilport::app {

SystemTrayIcon::SystemTrayIcon() : icon_(std::make_unique<QSystemTrayIcon>()) {
    connect(icon_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // A single click on StatusNotifierItem hosts arrives as Trigger and
                // never as DoubleClick there; both restore the window.
                if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
                    emit doubleClicked();
            });
}

SystemTrayIcon::~SystemTrayIcon() = default;

bool SystemTrayIcon::isAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool SystemTrayIcon::add() {
    if (!isAvailable()) return false;
    icon_->show();
    return icon_->isVisible();
}

bool SystemTrayIcon::remove() {
    icon_->hide();
    return !icon_->isVisible();
}

void SystemTrayIcon::setIcon(const QIcon& icon) {
    icon_->setIcon(icon);
}

void SystemTrayIcon::setTip(const QString& tip) {
    icon_->setToolTip(tip);
}

void SystemTrayIcon::setMenu(QMenu* menu) {
    icon_->setContextMenu(menu);
}

}  // namespace veilport::app

namespace veilport::app {

bool SystemTrayIcon::showNotice(const QString& text) {
    if (!icon_->isVisible() || !QSystemTrayIcon::supportsMessages()) return false;
    icon_->showMessage(QStringLiteral("Veilport"), text);
    return true;
}

}  // namespace veilport::app
