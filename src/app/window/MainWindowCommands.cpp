// The main window's commands: each is a QAction connected to what it does
// where it is made, and the help button's menu, the tray menu and the window
// menu's stand-in hold those actions. The menus' command numbers only name
// the actions, for a caller that has a number (tests, the window menu).
#include <QContextMenuEvent>

#include "app/dialogs/MyAddressDialog.h"
#include "app/help/AboutDialog.h"
#include "app/help/Commands.h"
#include "app/help/WebPages.h"
#include "app/pagekit/AnonymityOutcomeMessages.h"
#include "app/window/LiveUpdate.h"
#include "app/window/MainWindow.h"

namespace veilport::app {

QAction* MainWindow::makeCommand(int id, const QString& text, std::function<void()> run) {
    auto* action = new QAction(text, this);
    action->setData(id);
    connect(action, &QAction::triggered, this, std::move(run));
    commands_[id] = action;
    return action;
}

void MainWindow::buildCommands() {
    using namespace command;
    const auto contents = [this] { services_.help.showContents(); };
    const auto index = [this] { services_.help.showIndex(); };
    const auto search = [this] { services_.help.showSearch(QString::fromUtf8(kHelpSearchQuery)); };
    const auto tellAFriend = [this] { openWebPage(webpage::kTellAFriend); };

    makeCommand(kHelpContents, QStringLiteral("Help &Contents"), contents);
    makeCommand(kHelpIndex, QStringLiteral("Help &Index"), index);
    makeCommand(kHelpSearch, QStringLiteral("Help &Search"), search);
    makeCommand(kProductPage, QStringLiteral("&Product Page"),
                [this] { openWebPage(webpage::kProduct); });
    makeCommand(kCompanyPage, QStringLiteral("C&ompany Page"),
                [this] { openWebPage(webpage::kCompany); });
    makeCommand(kSupportPage, QStringLiteral("&Get Support"),
                [this] { openWebPage(webpage::kSupport); });
    makeCommand(kLiveUpdate, QStringLiteral("&Live Update"), [this] { runProxyListUpdate(); });
    makeCommand(kTellAFriend, QStringLiteral("&Tell a Friend"), tellAFriend);
    makeCommand(kAbout, QStringLiteral("&About"), [this] { showAbout(true); });
    makeCommand(kAboutNoPictures, QStringLiteral("&About Veilport..."),
                [this] { showAbout(false); });
    makeCommand(kTrayShow, QStringLiteral("Show"), [this] { showFromTray(); });
    makeCommand(kTrayHelpContents, QStringLiteral("Help Contents..."), contents);
    makeCommand(kTrayHelpIndex, QStringLiteral("Help Index..."), index);
    makeCommand(kTrayHelpSearch, QStringLiteral("Help Search..."), search);
    makeCommand(kTrayTellAFriend, QStringLiteral("Tell a friend..."), tellAFriend);
    makeCommand(kTrayExit, QStringLiteral("Exit"), [this] { exitProgram(); });
}

void MainWindow::fillHelpMenu() {
    using namespace command;
    for (const int id : {kHelpContents, kHelpIndex, kHelpSearch, 0, kProductPage, kCompanyPage, 0,
                         kSupportPage, kLiveUpdate, kTellAFriend, 0, kAbout})
        helpMenu_->appendItem(id == 0 ? nullptr : commands_.at(id));
}

void MainWindow::runProxyListUpdate() {
    RunLiveUpdate(*this, isVisible() ? this : nullptr);
}

void MainWindow::buildTrayMenu() {
    using namespace command;
    QMenu& menu = trayMenu();
    QAction* show = commands_.at(kTrayShow);
    menu.addAction(show);
    menu.addSeparator();
    menu.addAction(commands_.at(kTrayHelpContents));
    menu.addAction(commands_.at(kTrayHelpIndex));
    menu.addAction(commands_.at(kTrayHelpSearch));
    // The About item of the tray reads differently from the help menu's.
    menu.addAction(QStringLiteral("About..."), commands_.at(kAbout), &QAction::trigger)
        ->setData(kAbout);
    menu.addAction(commands_.at(kTrayTellAFriend));
    menu.addSeparator();
    menu.addAction(commands_.at(kTrayExit));
    // After the first use, "Show" is drawn as the default item.
    connect(&menu, &QMenu::aboutToHide, this, [&menu, show] { menu.setDefaultAction(show); });
}

void MainWindow::runCommand(int id) {
    if (const auto found = commands_.find(id); found != commands_.end()) found->second->trigger();
}

void MainWindow::exitProgram() {
    exiting_ = true;
    // Running downloads, tests and checks end now rather than hold the exit,
    // with the Gateway still listening and the single-instance lock held.
    pool_->stopBackgroundWork();
    pool_->stopChecks();
    // Leaving the program leaves the page too: what it keeps on leaving
    // (the start-up page's port) is kept now rather than lost.
    if (current_ != nullptr) current_->pageLeft();
    // Shown before the window ends: what could not be put back is the last
    // thing the person must learn from this session.
    if (anonymity_->mayPointAtGateway()) ShowAnonymityOutcome(anonymity_->switchOff(), messages());
    done(0);
}

void MainWindow::openWebPage(std::string_view path) {
    // Without a vendor site of its own, the program's help stands in.
    if (!VendorSiteSet()) {
        services_.help.showPage(QString::fromUtf8(LocalHelpPage(path)));
        return;
    }
    // Nothing is reported when no browser opens, as with any link.
    (void)services_.shell.openUrl(VendorPageAddress(path), shell::WindowShow::Maximized);
}

void MainWindow::showMyAddress() {
    proxypool::ui::MyAddressDialog dialog(isVisible() ? this : nullptr);
    dialog.ask();
    dialog.exec();
}

void MainWindow::showAbout(bool withPictures) {
    AboutDialog about(withPictures, isVisible() ? this : nullptr);
    emit aboutShown(withPictures);
    about.exec();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("Mi&nimize"), this, [this] { hideToTray(); });
    menu.addAction(QStringLiteral("&Close"), this, [this] { hideToTray(); });
    menu.addSeparator();
    menu.addAction(commands_.at(command::kAboutNoPictures));
    menu.exec(event->globalPos());
}

}  // namespace veilport::app
