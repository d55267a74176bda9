#include "app/window/MainWindow.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QTimer>

#include "app/help/AboutDialog.h"
#include "app/help/Commands.h"
#include "app/help/WebPages.h"
#include "app/skin/DialogUnits.h"
#include "app/skin/HelpRequest.h"
#include "app/skin/Pictures.h"
#include "app/status/AnonymityCommands.h"
#include "app/status/LiveUpdate.h"
#include "app/window/AnonymityControl.h"
#include "app/window/HintDialog.h"
#include "app/window/SectionPages.h"
#include "app/window/WindowMessageReceiver.h"
#include "platform/process/SingleInstance.h"
#include "proxypool/ConnectTime.h"
#include "proxypool/MyProxiesFile.h"
#include "proxypool/ui/ProxyTesterDialog.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsStoreReport.h"
#include "settings/StringSetting.h"

namespace veilport::app {

namespace {

using skin::ControlKind;
namespace pic = skin::picture;

// The Tested drop-down's stand-in while the status page has none of its own.
class NoDropDown : public proxypool::TestedDropDown {
public:
    void addEntry(const std::string&) override {}
    void resetToPerformEmptyList() override {}
};

constexpr int kBarPictures[] = {pic::kAnonymityBarBackground, pic::kPrivacyBarBackground,
                                pic::kSettingsBarBackground};

// Sub-button pictures are numbered across the sections in page order.
int subButtonPicture(int section, int index) {
    int before = 0;
    for (int s = 2; s < section; ++s) before += static_cast<int>(SubPagesOf(s).size());
    return pic::kSubButtons + 3 * (before + index);
}

}  // namespace

MainWindow::MainWindow(MainWindowServices services, QWidget* parent)
    : TrayDialog(std::move(services.trayIcon), parent),
      services_(std::move(services)),
      controls_(this, {511, 314},
                {
                    {kCloseId, ControlKind::BitmapPushButton, 481, 7, 16, 13},
                    {kWhatIsMyIpId, ControlKind::BitmapPushButton, 351, 28, 69, 12},
                    {kUpdateListId, ControlKind::BitmapPushButton, 427, 28, 69, 12},
                    {kRealIpId, ControlKind::StaticRight, 178, 283, 326, 10},
                    {kIpInUseId, ControlKind::StaticRight, 179, 295, 325, 12},
                    {1010, ControlKind::Static, 11, 70, 43, 44},
                }),
      windowMessages_(this),
      tester_(new proxypool::ui::ProxyTesterDialog(this)) {
    // A window of its own in the task bar, not a dialog over another one.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setWindowIcon(skin::applicationIcon());
    setWindowTitle(QStringLiteral("Veilport"));
    setAccessibleName(QStringLiteral("Veilport"));

    setTrayIcon(skin::applicationIcon());
    setTip(QStringLiteral("Veilport"));
    buildTrayMenu();

    if (services_.startCleaner) services_.startCleaner();

    controls_.control(1010)->hide();
    buildTopBar();
    // An unreadable MyProxies.txt is kept as it is (nothing will replace it);
    // the person learns why the tested list is empty once the window is up.
    if (const auto loaded = proxypool::LoadTestedProxies(tested_); !loaded.ok)
        QTimer::singleShot(0, this,
                           [this, text = loaded.message] { messages().showMessage(text); });
    // Every setting reads as its default while the store cannot be read; the
    // person is told once, with what was kept.
    if (const std::string store = SettingsStoreMessage(); !store.empty())
        QTimer::singleShot(0, this, [this, text = store] { messages().showMessage(text); });
    buildSections();
    setBackgroundPicture(pic::kMainBackground);
    fillHelpMenu();
    showInitialIpLines();

    tip_ = new MainTipWindow(this);
    tip_->setGeometry(10, 325, 125, 115);
    tip_->raise();
    setReadingOrder();

    // F1 anywhere in the program opens the help at its default page.
    skin::setHelpHandler([help = &services_.help] { help->showHelpFile(); });

    if (services_.registerTitle) {
        receiver_ = new WindowMessageReceiver(
            this,
            QString::fromUtf8(process::kMainWindowTitle.data(), process::kMainWindowTitle.size()));
        // A second start brings the window back from the tray: the icon goes.
        connect(receiver_, &WindowMessageReceiver::showRequested, this, [this] { removeIcon(); });
        // The command line's anonymity requests go to the status page.
        ConnectAnonymityCommands(*receiver_, *this);
    }
}

MainWindow::~MainWindow() {
    skin::setHelpHandler({});
}

void MainWindow::buildTopBar() {
    auto* close = controls_.control<skin::BitmapButton>(kCloseId);
    close->setPictures(pic::kCloseNormal, pic::kClosePressed, pic::kCloseHover, 0, 0,
                       pic::kCloseMask);
    close->setAccessibleName(QStringLiteral("Hide to tray"));
    controls_.onClicked(kCloseId, [this] { hideWithHint(); });

    auto* myIp = controls_.control<skin::BitmapButton>(kWhatIsMyIpId);
    myIp->setPictures(pic::kWhatIsMyIpNormal, pic::kWhatIsMyIpPressed, pic::kWhatIsMyIpHover);
    myIp->setAccessibleName(skin::pictureLabel(pic::kWhatIsMyIpNormal));
    controls_.onClicked(kWhatIsMyIpId, [this] { openWebPage(webpage::kWhatIsMyIp); });

    auto* update = controls_.control<skin::BitmapButton>(kUpdateListId);
    update->setPictures(pic::kUpdateListNormal, pic::kUpdateListPressed, pic::kUpdateListHover);
    update->setAccessibleName(skin::pictureLabel(pic::kUpdateListNormal));
    controls_.onClicked(kUpdateListId, [this] { runProxyListUpdate(); });

    helpMenu_ = new MenuButton(this);
    helpMenu_->setObjectName(QStringLiteral("control%1").arg(kHelpMenuId));
    // The round picture keeps its own size at the template's place.
    const QRect place = skin::DialogUnits::toPixels(460, 7, 15, 13);
    helpMenu_->setGeometry(place.x(), place.y(), 22, 22);
    helpMenu_->setPictures(pic::kHelpNormal, pic::kHelpPressed, pic::kHelpHover);
    helpMenu_->setAccessibleName(skin::pictureLabel(pic::kHelpNormal));
    connect(helpMenu_, &MenuButton::commandChosen, this, &MainWindow::runCommand);
}

void MainWindow::buildSections() {
    mainBar_ = new SectionBar(SectionBar::kMainBar, this);
    mainBar_->setGeometry(10, 90, 140, 200);
    mainBar_->setBackgroundPicture(pic::kMainBarBackground);

    for (int section = 1; section <= kSectionCount; ++section) {
        const QString name = QStringLiteral("BTN%1").arg(section);
        auto* button = mainBar_->addButton(pic::kSectionButtons + 3 * (section - 1), name);
        connect(button, &skin::BitmapButton::hoverEntered, this,
                [this, section] { setTipText(QString::fromUtf8(kTipTexts[section - 1])); });
        connect(button, &skin::BitmapButton::hoverLeft, this, [this](const QString& left) {
            if (left.contains(QStringLiteral("BTN"))) setTipText(QString());
        });
        if (section == 1) {
            Page* status = CreatePage(PageId::Status, *this, this);
            // The page's template is taller than its place; cut to the place,
            // so that it never covers the IP lines below it.
            status->setFixedSize(600, 370);
            status->move(150, 80);
            pages_[PageId::Status] = status;
            mainBar_->record(status, button);
            anonymity_ = dynamic_cast<AnonymityControl*>(status);
            continue;
        }
        auto* container = new SectionContainer(section, kBarPictures[section - 2], this);
        container->setGeometry(150, 100, 200, 350);
        container->hide();
        containers_[static_cast<std::size_t>(section - 2)] = container;
        mainBar_->record(container, button);

        const auto subPages = SubPagesOf(section);
        for (std::size_t i = 0; i < subPages.size(); ++i) {
            const PageId id = subPages[i];
            auto* sub = container->bar().addButton(subButtonPicture(section, static_cast<int>(i)),
                                                   QString());
            Page* page = CreatePage(id, *this, this);
            page->setGeometry(340, 100, 410, 360);
            page->hide();
            pages_[id] = page;
            container->bar().record(page, sub);
        }
        Page* intro = CreatePage(IntroPageOf(section), *this, this);
        intro->setGeometry(340, 100, 410, 360);
        intro->hide();
        pages_[IntroPageOf(section)] = intro;
        container->bar().record(intro, button);
        connect(&container->bar(), &SectionBar::clicked, this, [this, section](int index) {
            setTipText(QString());
            const auto pages = SubPagesOf(section);
            if (index >= 0 && index < static_cast<int>(pages.size()))
                display(pages[static_cast<std::size_t>(index)]);
        });
    }
    connect(mainBar_, &SectionBar::clicked, this, [this](int index) {
        setTipText(QString());
        // Entering a section always shows its intro page, not the page that
        // was open when the section was left.
        display(IntroPageOf(index + 1));
    });
    // The status page shows at start with its button marking it.
    display(PageId::Status);
}

void MainWindow::setReadingOrder() {
    // Tab follows the eye: the top bar from left to right, the section bar,
    // the shown section's own bar, then the page. Hidden controls are skipped.
    std::vector<QWidget*> order = {controls_.control(kWhatIsMyIpId),
                                   controls_.control(kUpdateListId), helpMenu_,
                                   controls_.control(kCloseId)};
    for (const auto& pair : mainBar_->pairs()) order.push_back(pair.button);
    for (SectionContainer* container : containers_)
        for (const auto& pair : container->bar().pairs())
            if (pair.button->parentWidget() == &container->bar()) order.push_back(pair.button);
    for (const auto& entry : pages_) order.push_back(entry.second);
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void MainWindow::display(PageId id) {
    Page* target = page(id);
    if (target == nullptr) return;
    const int section = SectionOf(id);
    const int subIndex = SubIndexOf(id);
    for (const auto& entry : pages_)
        if (entry.second != target) entry.second->hide();
    for (std::size_t i = 0; i < containers_.size(); ++i) {
        SectionContainer* container = containers_[i];
        const bool shown = static_cast<int>(i) + 2 == section;
        container->setVisible(shown);
        const auto& pairs = container->bar().pairs();
        for (std::size_t j = 0; j < pairs.size(); ++j) {
            // The intro page's pair holds the main button; that one is set below.
            if (pairs[j].button->parentWidget() != &container->bar()) continue;
            pairs[j].button->setEnabled(!(shown && static_cast<int>(j) == subIndex));
        }
    }
    const auto& mainPairs = mainBar_->pairs();
    for (std::size_t i = 0; i < mainPairs.size(); ++i)
        mainPairs[i].button->setEnabled(static_cast<int>(i) + 1 != section);
    if (current_ != target) {
        if (current_ != nullptr) current_->pageLeft();
        current_ = target;
        target->show();
        target->raise();
        target->pageShown();
    } else {
        target->show();
    }
    if (tip_ != nullptr) tip_->raise();
}

void MainWindow::showPage(PageId id) {
    display(id);
}

Page* MainWindow::page(PageId id) const {
    const auto found = pages_.find(id);
    return found == pages_.end() ? nullptr : found->second;
}

SectionContainer* MainWindow::container(int section) const {
    if (section < 2 || section > kSectionCount) return nullptr;
    return containers_[static_cast<std::size_t>(section - 2)];
}

void MainWindow::showInitialIpLines() {
    const std::uint32_t useProxy = DwordSetting(settings::kUseProxy).get();
    const std::string proxyName = StringSetting(settings::kProxyName).get();
    const QString realIp = anonymity_ != nullptr ? anonymity_->realIp() : QString();
    const QString inUse =
        useProxy == 1 && !proxyName.empty() ? QString::fromStdString(proxyName) : realIp;
    setIpInUseLine(QString::fromUtf8(proxypool::kCurrentIpPrefix) + inUse);
    setRealIpLine(QStringLiteral("Real IP Address: ") + realIp);
}

void MainWindow::setRealIpLine(const QString& text) {
    controls_.control<QLabel>(kRealIpId)->setText(text);
}

void MainWindow::setIpInUseLine(const QString& text) {
    controls_.control<QLabel>(kIpInUseId)->setText(text);
}

void MainWindow::setStatusText(const std::string& text) {
    setIpInUseLine(QString::fromStdString(text));
    update();
}

void MainWindow::setTipText(const QString& text) {
    if (tip_ != nullptr) tip_->setText(text);
}

void MainWindow::poolChanged() {
    for (const auto& entry : pages_) entry.second->onPoolChanged();
}

proxypool::UserMessages& MainWindow::messages() {
    return services_.messages != nullptr ? *services_.messages : windowMessages_;
}

proxypool::TestedDropDown& MainWindow::testedDropDown() {
    if (auto* dropDown = dynamic_cast<proxypool::TestedDropDown*>(page(PageId::Status)))
        return *dropDown;
    static NoDropDown none;
    return none;
}

void MainWindow::hideToTray() {
    TrayDialog::hideToTray();
}

void MainWindow::hideWithHint() {
    const std::uint32_t hideHint = DwordSetting(settings::kHideHint).get();
    TrayDialog::hideToTray();
    if (hideHint != 0) {
        HintDialog hint(nullptr);
        hint.exec();
    }
}

void MainWindow::exitProgram() {
    if (anonymity_ != nullptr && DwordSetting(settings::kUseProxy).get() == 1)
        anonymity_->ToggleAnonymity();
    done(0);
}

void MainWindow::buildTrayMenu() {
    QMenu& menu = trayMenu();
    const auto item = [&](int command, const char* text) {
        QAction* action = menu.addAction(QString::fromUtf8(text));
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
        return action;
    };
    QAction* show = item(command::kTrayShow, "Show");
    menu.addSeparator();
    item(command::kTrayHelpContents, "Help Contents...");
    item(command::kTrayHelpIndex, "Help Index...");
    item(command::kTrayHelpSearch, "Help Search...");
    item(command::kAbout, "About...");
    item(command::kTrayTellAFriend, "Tell a friend...");
    menu.addSeparator();
    item(command::kTrayExit, "Exit");
    // After the first use, "Show" is drawn as the default item.
    connect(&menu, &QMenu::aboutToHide, this, [&menu, show] { menu.setDefaultAction(show); });
}

void MainWindow::fillHelpMenu() {
    helpMenu_->appendItem(command::kHelpContents, QStringLiteral("Help &Contents"));
    helpMenu_->appendItem(command::kHelpIndex, QStringLiteral("Help &Index"));
    helpMenu_->appendItem(command::kHelpSearch, QStringLiteral("Help &Search"));
    helpMenu_->appendItem(0, QString());
    helpMenu_->appendItem(command::kProductPage, QStringLiteral("&Product Page"));
    helpMenu_->appendItem(command::kCompanyPage, QStringLiteral("C&ompany Page"));
    helpMenu_->appendItem(0, QString());
    helpMenu_->appendItem(command::kSupportPage, QStringLiteral("&Get Support"));
    helpMenu_->appendItem(command::kLiveUpdate, QStringLiteral("&Live Update"));
    helpMenu_->appendItem(command::kTellAFriend, QStringLiteral("&Tell a Friend"));
    helpMenu_->appendItem(0, QString());
    helpMenu_->appendItem(command::kAbout, QStringLiteral("&About"));
}

void MainWindow::runCommand(int id) {
    switch (id) {
        case command::kHelpContents:
        case command::kTrayHelpContents:
            services_.help.showContents();
            break;
        case command::kHelpIndex:
        case command::kTrayHelpIndex:
            services_.help.showIndex();
            break;
        case command::kHelpSearch:
        case command::kTrayHelpSearch:
            services_.help.showSearch(QString::fromUtf8(kHelpSearchQuery));
            break;
        case command::kProductPage:
            openWebPage(webpage::kProduct);
            break;
        case command::kCompanyPage:
            openWebPage(webpage::kCompany);
            break;
        case command::kSupportPage:
            openWebPage(webpage::kSupport);
            break;
        case command::kLiveUpdate:
            runProxyListUpdate();
            break;
        case command::kTellAFriend:
        case command::kTrayTellAFriend:
            openWebPage(webpage::kTellAFriend);
            break;
        case command::kAbout:
            showAbout(true);
            break;
        case command::kAboutNoPictures:
            showAbout(false);
            break;
        case command::kTrayShow:
            showFromTray();
            break;
        case command::kTrayExit:
            exitProgram();
            break;
        default:
            break;
    }
}

void MainWindow::openWebPage(std::string_view path) {
    // Nothing is reported when no browser opens, as with any link.
    (void)services_.shell.openUrl(VendorPageAddress(path), shell::WindowShow::Maximized);
}

void MainWindow::showAbout(bool withPictures) {
    AboutDialog about(withPictures, isVisible() ? this : nullptr);
    emit aboutShown(withPictures);
    about.exec();
}

void MainWindow::runProxyListUpdate() {
    RunLiveUpdate(*this, isVisible() ? this : nullptr);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("Mi&nimize"), this, [this] { hideToTray(); });
    menu.addAction(QStringLiteral("&Close"), this, [this] { hideToTray(); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("&About Veilport..."), this,
                   [this] { runCommand(command::kAboutNoPictures); });
    menu.exec(event->globalPos());
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_F1:
            skin::requestHelp();
            return;
        case Qt::Key_Escape:
            hideToTray();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return;
        default:
            TrayDialog::keyPressEvent(event);
    }
}

}  // namespace veilport::app
