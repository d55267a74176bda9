#pragma once

#include <QMenu>
#include <memory>

#include "app/skin/SkinnedDialog.h"
#include "app/window/TrayIcon.h"

namespace veilport::app {

// A skinned top-level window that lives in the notification area while it is
// hidden: the icon is present exactly while the window is hidden this way.
// Minimising and the window manager's close hide it to the tray. Where the
// desktop has no notification area, hiding would leave the program with no
// way back, so the window is minimised instead and stays in the task bar.
class TrayDialog : public skin::SkinnedDialog {
    Q_OBJECT

public:
    static constexpr int kTipLimit = 63;

    // `icon` null: Qt's tray icon.
    explicit TrayDialog(std::unique_ptr<TrayIcon> icon, QWidget* parent = nullptr);
    ~TrayDialog() override;

    void setTrayIcon(const QIcon& icon);
    // Longer tips are cut to kTipLimit characters.
    void setTip(const QString& tip);
    QMenu& trayMenu() { return menu_; }
    TrayIcon& trayIcon() { return *icon_; }

    // Adds the icon when it is not shown. False when it was already shown or
    // the desktop refused it.
    bool addIcon();
    // Removes a shown icon. False when none was shown or it stayed.
    bool removeIcon();
    bool iconShown() const { return iconShown_; }

    // Adds the icon (a second try when the first fails) and hides the window,
    // even when both tries failed; without a notification area the window is
    // minimised instead.
    void hideToTray();
    // Removes the icon and shows the window, whatever the removal answered.
    void showFromTray();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QMenu menu_;
    std::unique_ptr<TrayIcon> icon_;
    bool iconShown_ = false;
    bool hidingFromMinimise_ = false;
};

}  // namespace veilport::app
