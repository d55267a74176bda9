#include "app/window/TrayDialog.h"

#include <QCloseEvent>
#include <QTimer>

namespace veilport::app {

TrayDialog::TrayDialog(std::unique_ptr<TrayIcon> icon, QWidget* parent)
    : SkinnedDialog(parent, Kind::TopLevel),
      icon_(icon ? std::move(icon)
                 : std::unique_ptr<TrayIcon>(std::make_unique<SystemTrayIcon>())) {
    icon_->setMenu(&menu_);
    connect(icon_.get(), &TrayIcon::doubleClicked, this, [this] {
        if (removeIcon()) showFromTray();
    });
}

TrayDialog::~TrayDialog() {
    if (iconShown_) icon_->remove();
}

void TrayDialog::setTrayIcon(const QIcon& icon) {
    icon_->setIcon(icon);
}

void TrayDialog::setTip(const QString& tip) {
    icon_->setTip(tip.left(kTipLimit));
}

bool TrayDialog::addIcon() {
    if (iconShown_) return false;
    iconShown_ = icon_->add();
    return iconShown_;
}

bool TrayDialog::removeIcon() {
    if (!iconShown_) return false;
    iconShown_ = !icon_->remove();
    return !iconShown_;
}

void TrayDialog::hideToTray() {
    if (!icon_->isAvailable()) {
        showMinimized();
        return;
    }
    if (!addIcon()) addIcon();
    hide();
}

void TrayDialog::showFromTray() {
    removeIcon();
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

void TrayDialog::changeEvent(QEvent* event) {
    SkinnedDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized()) return;
    if (!icon_->isAvailable() || hidingFromMinimise_) return;
    // Minimising and hiding in the same breath confuses X11 window managers:
    // hide once the minimise has been handled, and leave the window in the
    // normal state for its return.
    hidingFromMinimise_ = true;
    QTimer::singleShot(0, this, [this] {
        hidingFromMinimise_ = false;
        if (!isMinimized()) return;
        setWindowState(windowState() & ~Qt::WindowMinimized);
        hideToTray();
    });
}

void TrayDialog::closeEvent(QCloseEvent* event) {
    // The window manager's close hides to the tray; the program ends only
    // through Exit or the close message, which do not come this way.
    event->ignore();
    hideToTray();
}

}  // namespace veilport::app
