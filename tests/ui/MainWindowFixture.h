#pragma once

// A main window over fakes: the services record what the window asked of
// them, the tray icon is a stand-in whose answers the test chooses, and the
// home is a throwaway one.

#include <QApplication>
#include <QString>
#include <deque>
#include <memory>
#include <vector>

#include "FakePageHost.h"
#include "UiTestSupport.h"
#include "app/help/HelpService.h"
#include "app/window/MainWindow.h"
#include "platform/registry/Registry.h"
#include "support/TempHome.h"

namespace veilport::testing {

class RecordingHelp : public app::HelpService {
public:
    void showContents() override { requests.push_back(QStringLiteral("contents")); }
    void showIndex() override { requests.push_back(QStringLiteral("index")); }
    void showSearch(const QString& query) override {
        requests.push_back(QStringLiteral("search:") + query);
    }
    void showHelpFile() override { requests.push_back(QStringLiteral("file")); }
    void showPage(const QString& file) override { requests.push_back("page:" + file); }
    QStringList requests;
};

// The notification area as the test wants it: present or not, refusing the
// next adds when told to.
class FakeTrayIcon : public app::TrayIcon {
public:
    bool isAvailable() const override { return available; }
    bool add() override {
        ++adds;
        if (!refusals.empty()) {
            const bool refuse = refusals.front();
            refusals.pop_front();
            if (refuse) return false;
        }
        shown = true;
        return true;
    }
    bool remove() override {
        ++removes;
        shown = false;
        return true;
    }
    void setIcon(const QIcon& newIcon) override { icon = newIcon; }
    void setTip(const QString& newTip) override { tip = newTip; }
    void setMenu(QMenu* newMenu) override { menu = newMenu; }
    bool showNotice(const QString& text) override {
        notices << "Veilport: " + text;
        return true;
    }
    void doubleClick() { emit doubleClicked(); }

    bool available = true;
    bool shown = false;
    int adds = 0;
    int removes = 0;
    std::deque<bool> refusals;
    QIcon icon;
    QString tip;
    QMenu* menu = nullptr;
    QStringList notices;
};

// Whether Software\\Veilport holds a value of this name at all (an absent
// value reads as its default, so reading cannot tell).
inline bool programValueStored(std::string_view name) {
    registry::KeyHandle key;
    if (registry::openKey(registry::Root::LocalMachine, "Software\\Veilport", registry::kKeyRead,
                          key) != registry::kSuccess)
        return false;
    std::uint32_t size = 0;
    return registry::queryValue(key, name, nullptr, nullptr, &size) == registry::kSuccess;
}

class MainWindowFixture {
public:
    // Builds the window; settings a test needs at start-up are stored first.
    app::MainWindow& open(bool registerTitle = false) {
        auto icon = std::make_unique<FakeTrayIcon>();
        tray = icon.get();
        window = std::make_unique<app::MainWindow>(app::MainWindowServices{
            .gateway = gateway,
            .connection = connection,
            .get = [](const std::string&) { return std::string(); },
            .shell = shell,
            .help = help,
            .trayIcon = std::move(icon),
            .startCleaner = [this] { ++cleanerStarts; },
            .registerTitle = registerTitle,
            .messages = &messages,
            .listGet = listGet,
            .backgroundWork = backgroundWork,
        });
        window->showCleaningNotices([this](cleaner::CleanerThread::SkippedNotice notice) {
            cleaningNotice = std::move(notice);
        });
        return *window;
    }

    TempHome home;
    FakeGateway gateway;
    FakeProxySwitch connection;
    RecordingShell shell;
    RecordingHelp help;
    FakeMessages messages;
    // The proxy list's download; empty: the window's other downloads.
    proxypool::HttpGet listGet;
    std::stop_source backgroundWork;
    FakeTrayIcon* tray = nullptr;
    int cleanerStarts = 0;
    // What the window handed the scheduled cleaning; empty once taken back.
    cleaner::CleanerThread::SkippedNotice cleaningNotice;
    std::unique_ptr<app::MainWindow> window;
};

}  // namespace veilport::testing
