#pragma once

#include <QLabel>
#include <QPointer>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <stop_token>
#include <vector>

#include "app/dialogs/ProxyTesterDialog.h"
#include "app/help/HelpService.h"
#include "app/help/MenuButton.h"
#include "app/pagekit/Page.h"
#include "app/pagekit/PageHost.h"
#include "app/pagekit/PoolModel.h"
#include "app/skin/BitmapButton.h"
#include "app/skin/DialogTemplate.h"
#include "app/window/MainTipWindow.h"
#include "app/window/SectionBar.h"
#include "app/window/SectionContainer.h"
#include "app/window/TrayDialog.h"
#include "app/window/WindowMessages.h"
#include "cleaner/CleanerThread.h"
#include "platform/shell/ShellOpen.h"
#include "proxypool/ProxyTester.h"
#include "services/Anonymity.h"

namespace veilport::app {

class BackgroundRetest;

class WindowMessageReceiver;
class CleaningNotice;

// What the main window works with; the program passes the real services,
// tests pass fakes. References must outlive the window.
struct MainWindowServices {
    proxypool::GatewayControl& gateway;
    proxypool::ProxySwitch& connection;
    proxypool::HttpGet get;
    shell::ShellOpen& shell;
    HelpService& help;
    // Null: Qt's tray icon.
    std::unique_ptr<TrayIcon> trayIcon;
    // Starts the scheduled cleaning (once, when the window is built); none in tests.
    std::function<void()> startCleaner;
    // Makes the window findable by its title for a second start and Quenchor.
    bool registerTitle = false;
    // Null: the skinned message box.
    proxypool::UserMessages* messages = nullptr;
    // The program's one anonymity service (the start-up reset used it too);
    // null: the window makes its own over gateway and connection.
    services::Anonymity* anonymity = nullptr;
    // Downloads of the proxy list, which go out directly; empty: `get`.
    proxypool::HttpGet listGet;
    // Asked to stop at Exit: the downloads made with `get` and `listGet`
    // should watch its token, as the window's own proxy tests do.
    std::stop_source backgroundWork{};
    // The judge's checks in the tester and the background re-tests of the
    // tested list. Off in tests: their judge is the one each test names.
    bool realChecks = false;
};

// The one window of Veilport: the top bar, the section bar with its tips,
// the pages of the four sections (exactly one shown, its button disabled),
// the two address lines, and the tray. It hosts the pages (PageHost) and
// owns the pool's model.
class MainWindow : public TrayDialog, public PageHost, public proxypool::StatusLine {
    Q_OBJECT

public:
    static constexpr int kCloseId = 1001;
    static constexpr int kWhatIsMyIpId = 1002;
    static constexpr int kRealIpId = 1013;
    static constexpr int kIpInUseId = 1014;
    static constexpr int kHelpMenuId = 1015;
    static constexpr int kUpdateListId = 1016;

    explicit MainWindow(MainWindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // PageHost
    void setRealIpLine(const QString& text) override;
    void setIpInUseLine(const QString& text) override;
    void setTipText(const QString& text) override;
    void showPage(PageId page) override;
    void hideToTray() override;
    services::Anonymity& anonymity() override { return *anonymity_; }
    QString realIp() override;
    PoolModel& pool() override { return *pool_; }
    proxypool::UserMessages& messages() override;
    void openWebPage(std::string_view path) override;

    // StatusLine: the IP-in-use line.
    void setStatusText(const std::string& text) override;

    // Every command of the help menu, the tray menu and the About entry.
    void runCommand(int command);
    // The close button: to the tray, with the notice while HideHint asks for it.
    void hideWithHint();
    // Tray "Exit": background downloads and tests are stopped, the page shown
    // keeps what was typed into it, anonymity goes off when it is on, then the
    // window ends.
    void exitProgram();
    // Gives the scheduled cleaning the window's notice of what a pass left
    // alone: `attach` hands it over now, and takes it back (an empty notice)
    // when the window ends.
    void showCleaningNotices(std::function<void(cleaner::CleanerThread::SkippedNotice)> attach);
    // Something the person must learn that no one asked for: in the tray's
    // notice area while the window is hidden there, else a message.
    void showNotice(const QString& text);

    // For tests and the screenshots.
    Page* page(PageId id) const;
    Page* currentPage() const { return current_; }
    SectionBar& mainBar() { return *mainBar_; }
    SectionContainer* container(int section) const;
    MainTipWindow& tipWindow() { return *tip_; }
    MenuButton& helpMenu() { return *helpMenu_; }
    skin::DialogTemplate& controls() { return controls_; }

signals:
    // The About box was shown (with or without its pictures), for tests.
    void aboutShown(bool withPictures);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The window has no frame and so no window menu: a right click on its
    // body opens the stand-in, with minimise, close and About.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildTopBar();
    void buildSections();
    void buildCommands();
    QAction* makeCommand(int id, const QString& text, std::function<void()> run);
    void buildTrayMenu();
    void setReadingOrder();
    void fillHelpMenu();
    void showInitialIpLines();
    void display(PageId page);
    void showAbout(bool withPictures);
    void runProxyListUpdate();
    void showMyAddress();

    MainWindowServices services_;
    skin::DialogTemplate controls_;
    WindowMessages windowMessages_;
    proxypool::ui::ProxyTesterDialog* tester_ = nullptr;
    PoolModel* pool_ = nullptr;
    MenuButton* helpMenu_ = nullptr;
    SectionBar* mainBar_ = nullptr;
    MainTipWindow* tip_ = nullptr;
    // The sections that have a bar of their own, by their number.
    std::map<int, SectionContainer*> containers_;
    std::map<PageId, Page*> pages_;
    Page* current_ = nullptr;
    std::unique_ptr<services::Anonymity> ownAnonymity_;
    services::Anonymity* anonymity_ = nullptr;
    QString realIp_;
    // Set by Exit: the outcome of its switch-off is shown at once, not later.
    bool exiting_ = false;
    WindowMessageReceiver* receiver_ = nullptr;
    BackgroundRetest* retest_ = nullptr;
    // Every command's action, by its menu command number.
    std::map<int, QAction*> commands_;
    std::unique_ptr<CleaningNotice> cleaningNotice_;
};

}  // namespace veilport::app
