#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace veilport::app {

// The notification-area icon as the tray dialog uses it: present or not, with
// a tip and a menu, reporting a double click. An interface so that UI tests,
// which run where there is no notification area, can stand in for it.
class TrayIcon : public QObject {
    Q_OBJECT

public:
    // Whether the desktop has a notification area right now (a tray host may
    // start after the program does, so this is asked each time).
    virtual bool isAvailable() const = 0;
    // Adds the icon; false when the desktop did not take it.
    virtual bool add() = 0;
    // Removes the icon; false when it could not be removed.
    virtual bool remove() = 0;
    virtual void setIcon(const QIcon& icon) = 0;
    virtual void setTip(const QString& tip) = 0;
    // The menu a right click (or the context-menu key) opens; not owned.
    virtual void setMenu(QMenu* menu) = 0;
    // A passing notice beside the icon; false when the desktop shows none.
    virtual bool showNotice(const QString& text) = 0;

signals:
    void doubleClicked();
};

// Qt's tray icon (StatusNotifierItem or the X11 system tray).
class SystemTrayIcon : public TrayIcon {
    Q_OBJECT

public:
    SystemTrayIcon();
    ~SystemTrayIcon() override;

    bool isAvailable() const override;
    bool add() override;
    bool remove() override;
    void setIcon(const QIcon& icon) override;
    void setTip(const QString& tip) override;
    void setMenu(QMenu* menu) override;
    bool showNotice(const QString& text) override;

private:
    std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace veilport::app
