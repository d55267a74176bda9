#include "app/window/MainWindow.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QTimer>

#include "app/dialogs/MyAddressDialog.h"
#include "app/dialogs/ProxyTesterDialog.h"
#include "app/help/AboutDialog.h"
#include "app/help/Commands.h"
#include "app/help/WebPages.h"
#include "app/pagekit/AnonymityOutcomeMessages.h"
#include "app/skin/DialogUnits.h"
#include "app/skin/HelpRequest.h"
#include "app/skin/Pictures.h"
#include "app/window/BackgroundRetest.h"
#include "app/window/CleaningNotice.h"
#include "app/window/CommandLineRequests.h"
#include "app/window/HintDialog.h"
#include "app/window/LiveUpdate.h"
#include "app/window/SectionPages.h"
#include "app/window/WindowMessageReceiver.h"
#include "platform/net/LocalAddress.h"
#include "platform/process/SingleInstance.h"
#include "proxypool/ConnectTime.h"
#include "proxypool/MyProxiesFile.h"
#include "settings/AnonymityFlag.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsStoreReport.h"
#include "settings/StringSetting.h"

namespace veilport::app {

namespace {

using skin::ControlKind;
namespace pic = skin::picture;

// Sub-button pictures are numbered across the sections in page order, three
// (normal, pressed, hover) to a button.
int subButtonPicture(const Section& of, PageId page) {
    int picture = pic::kSubButtons;
    for (const Section& section : Sections())
        for (const PageId each : section.pages) {
            if (section.number == of.number && each == page) return picture;
            picture += 3;
        }
    return picture;
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
      tester_(new proxypool::ui::ProxyTesterDialog(
          this, proxypool::RealConnectMeasure(services_.backgroundWork.get_token()))),
      pool_(new PoolModel({services_.gateway, services_.connection, messages(), *this, *tester_,
                           services_.get, services_.listGet},
                          this)) {
    if (services_.anonymity == nullptr) {
        ownAnonymity_ =
            std::make_unique<services::Anonymity>(services_.gateway, services_.connection);
        services_.anonymity = ownAnonymity_.get();
    }
    anonymity_ = services_.anonymity;
    pool_->useStopSource(services_.backgroundWork);
    // A window of its own in the task bar, not a dialog over another one.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setWindowIcon(skin::applicationIcon());
    setWindowTitle(QStringLiteral("Veilport"));
    setAccessibleName(QStringLiteral("Veilport"));

    setTrayIcon(skin::applicationIcon());
    setTip(QStringLiteral("Veilport"));
    buildCommands();
    buildTrayMenu();

    if (services_.startCleaner) services_.startCleaner();

    controls_.control(1010)->hide();
    buildTopBar();
    // An unreadable MyProxies.txt is kept as it is (nothing will replace it);
    // the person learns why the tested list is empty once the window is up.
    if (const auto loaded = proxypool::LoadTestedProxies(pool_->tested()); !loaded.ok)
        QTimer::singleShot(0, this,
                           [this, text = loaded.message] { messages().showMessage(text); });
    // Every setting reads as its default while the store cannot be read; the
    // person is told once, with what was kept.
    if (const std::string store = SettingsStoreMessage(); !store.empty())
        QTimer::singleShot(0, this, [this, text = store] { messages().showMessage(text); });
    buildSections();
    if (services_.realChecks) {
        tester_->setJudgeCheck(proxypool::ui::ProxyTesterDialog::settingsJudge());
        retest_ = new BackgroundRetest(*pool_, {}, this);
    }
    // Whoever changed anonymity (a page, Exit, the command line), the person
    // sees what went wrong; the status page has shown the state by then.
    // The message waits for the event loop: a modal box shown inside the
    // change would hold whoever asked for it (veilportctl waits for its answer).
    anonymity_->onChanged([window = QPointer<MainWindow>(this)](const auto& outcome) {
        if (window == nullptr) return;
        QTimer::singleShot(0, window, [window, outcome] {
            if (window != nullptr && !window->exiting_)
                ShowAnonymityOutcome(outcome, window->messages());
        });
    });
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
        ConnectCommandLineRequests(*receiver_, *this);
    }
}

void MainWindow::showCleaningNotices(
    std::function<void(cleaner::CleanerThread::SkippedNotice)> attach) {
    cleaningNotice_.reset();
    cleaningNotice_ = std::make_unique<CleaningNotice>(*this, messages(), std::move(attach));
}

MainWindow::~MainWindow() {
    skin::setHelpHandler({});
    // Whatever reaches the pool as it goes (the re-tests, the status page)
    // goes before it: Qt would delete the children in the order they were
    // made, the pool among the first.
    delete retest_;
    retest_ = nullptr;
    for (auto& entry : pages_) delete entry.second;
    pages_.clear();
    current_ = nullptr;
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
    controls_.onClicked(kWhatIsMyIpId, [this] { showMyAddress(); });

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
}

void MainWindow::buildSections() {
    mainBar_ = new SectionBar(SectionBar::kMainBar, this);
    mainBar_->setGeometry(10, 90, 140, 200);
    mainBar_->setBackgroundPicture(pic::kMainBarBackground);

    for (const Section& section : Sections()) {
        const QString name = QStringLiteral("BTN%1").arg(section.number);
        auto* button = mainBar_->addButton(pic::kSectionButtons + 3 * (section.number - 1), name);
        connect(button, &skin::BitmapButton::hoverEntered, this,
                [this, tip = section.tip] { setTipText(QString::fromUtf8(tip)); });
        connect(button, &skin::BitmapButton::hoverLeft, this, [this](const QString& left) {
            if (left.contains(QStringLiteral("BTN"))) setTipText(QString());
        });
        connect(button, &QAbstractButton::clicked, this, [this, intro = section.intro] {
            setTipText(QString());
            // Entering a section always shows its intro page, not the page
            // that was open when the section was left.
            display(intro);
        });
        if (section.pages.empty()) {
            Page* status = CreatePage(section.intro, *this, this);
            // The page's template is taller than its place; cut to the place,
            // so that it never covers the IP lines below it.
            status->setFixedSize(600, 370);
            status->move(150, 80);
            pages_[section.intro] = status;
            mainBar_->record(status, button);
            continue;
        }
        auto* container = new SectionContainer(section.number, section.barPicture, this);
        container->setGeometry(150, 100, 200, 350);
        container->hide();
        containers_[section.number] = container;
        mainBar_->record(container, button);

        for (const PageId id : section.pages) {
            auto* sub = container->bar().addButton(subButtonPicture(section, id), QString());
            Page* page = CreatePage(id, *this, this);
            page->setGeometry(340, 100, 410, 360);
            page->hide();
            pages_[id] = page;
            container->bar().record(page, sub);
            connect(sub, &QAbstractButton::clicked, this, [this, id] {
                setTipText(QString());
                display(id);
            });
        }
        Page* intro = CreatePage(section.intro, *this, this);
        intro->setGeometry(340, 100, 410, 360);
        intro->hide();
        pages_[section.intro] = intro;
        container->bar().record(intro, button);
    }
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
    for (const auto& [number, container] : containers_)
        for (const auto& pair : container->bar().pairs())
            if (pair.button->parentWidget() == &container->bar()) order.push_back(pair.button);
    for (const auto& entry : pages_) order.push_back(entry.second);
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void MainWindow::display(PageId id) {
    Page* target = page(id);
    if (target == nullptr) return;
    const Section& shown = SectionOf(id);
    for (const auto& entry : pages_)
        if (entry.second != target) entry.second->hide();
    for (const auto& [number, container] : containers_) {
        container->setVisible(number == shown.number);
        for (const auto& pair : container->bar().pairs()) {
            // The intro page's pair holds the main button; that one is set below.
            if (pair.button->parentWidget() != &container->bar()) continue;
            pair.button->setEnabled(pair.panel != target);
        }
    }
    for (const auto& pair : mainBar_->pairs())
        pair.button->setEnabled(!(pair.panel == target || pair.panel == container(shown.number)));
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
    const auto found = containers_.find(section);
    return found == containers_.end() ? nullptr : found->second;
}

void MainWindow::showInitialIpLines() {
    const std::string proxyName = StringSetting(settings::kProxyName).get();
    const QString realIp = this->realIp();
    const QString inUse =
        AnonymityFlag::isOn() && !proxyName.empty() ? QString::fromStdString(proxyName) : realIp;
    setIpInUseLine(QString::fromUtf8(proxypool::kCurrentIpPrefix) + inUse);
    setRealIpLine(QStringLiteral("Real IP Address: ") + realIp);
}

QString MainWindow::realIp() {
    // Found once: the address does not change under a running session, and
    // the look-up may ask the resolver.
    if (realIp_.isNull()) realIp_ = QString::fromStdString(net::findLocalAddress());
    return realIp_;
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

proxypool::UserMessages& MainWindow::messages() {
    return services_.messages != nullptr ? *services_.messages : windowMessages_;
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

void MainWindow::showNotice(const QString& text) {
    if (iconShown() && trayIcon().showNotice(text)) return;
    messages().showMessage(text.toStdString());
}

}  // namespace veilport::app
