#include "app/pages/status/StatusPanel.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include "app/pagekit/HostWebPages.h"
#include "app/pagekit/PageControls.h"
#include "app/pagekit/PoolModel.h"
#include "app/pages/status/ClosedComboGuard.h"
#include "app/pages/status/StatusTipWindow.h"
#include "app/skin/BitmapButton.h"
#include "app/skin/ColorLabel.h"
#include "app/skin/HyperLink.h"
#include "app/skin/Pictures.h"
#include "proxypool/FetchProxyList.h"
#include "proxypool/MyProxiesFile.h"
#include "proxypool/MyProxiesFormat.h"
#include "proxypool/ProxyListService.h"
#include "proxypool/ProxyText.h"
#include "proxypool/TestAndAdopt.h"
#include "proxypool/UseTestedProxy.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsStoreReport.h"
#include "settings/StringSetting.h"

namespace veilport::app {

namespace {

using skin::ControlKind;
namespace picture = skin::picture;

constexpr int kGreen = 1;
constexpr int kRed = 2;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QLabel* PictureLabel(int id, QPoint at, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(skin::loadPicture(id));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->move(at);
    label->adjustSize();
    return label;
}

}  // namespace

StatusPanel::StatusPanel(PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(
          this, {400, 245},
          {
              {skin::DialogTemplate::kStaticId, ControlKind::Static, 27, 27, 60, 8, "New"},
              {skin::DialogTemplate::kStaticId, ControlKind::Static, 194, 27, 60, 8, "Tested"},
              {kNewListId, ControlKind::DropDownList, 27, 37, 147, 75},
              {kTestedListId, ControlKind::DropDownList, 194, 37, 139, 75},
              {skin::DialogTemplate::kStaticId, ControlKind::Static, 27, 53, 160, 32,
               "Select a proxy from the New list to test it and browse \nanonymously. Your "
               "traffic will be redirected through that proxy."},
              {skin::DialogTemplate::kStaticId, ControlKind::Static, 194, 53, 190, 32,
               "Choose a proxy from the Tested list that includes proxies you have already "
               "tested during one session of using Veilport"},
              {kAnonymityId, ControlKind::BitmapPushButton, 7, 108, 238, 33},
              {kPrivacyId, ControlKind::BitmapPushButton, 7, 149, 238, 33},
              {kStatusLabelId, ControlKind::Static, 130, 199, 30, 8, "Status:"},
              // Our font runs wider than the one these rows were drawn for:
              // the name is widened and its state word moved right after it.
              {skin::DialogTemplate::kStaticId, ControlKind::Static, 160, 200, 72, 8,
               "Online Anonymity:"},
              {kAnonymityWordId, ControlKind::ColorLabel, 233, 200, 80, 8},
              {skin::DialogTemplate::kStaticId, ControlKind::Static, 160, 210, 30, 8, "Privacy:"},
              {kPrivacyWordId, ControlKind::ColorLabel, 191, 210, 79, 8},
              // Widened to the left, so the link keeps its place.
              {skin::DialogTemplate::kStaticId, ControlKind::Static, 100, 219, 170, 8,
               "To learn more about Anonymity and Privacy"},
              {kTipsLinkId, ControlKind::HyperLink, 271, 219, 62, 8},
              {kCheckNowId, ControlKind::BitmapPushButton, 323, 85, 63, 15},
          }) {
    setObjectName(QStringLiteral("StatusPanel"));
    setPlacementMode(kStretched);
    PictureLabel(picture::kStatusHeaderTop, {20, 6}, this);
    PictureLabel(picture::kStatusHeaderMiddle, {20, 148}, this);
    PictureLabel(picture::kStatusHeaderBottom, {14, 312}, this);
    for (const int id : {kNewListId, kTestedListId}) {
        auto* list = controls_.control<QComboBox>(id);
        // The template's height includes the open list; the closed box is one line.
        list->resize(list->width(), list->sizeHint().height());
    }
    controls_.control(kNewListId)->setAccessibleName(QStringLiteral("New"));
    controls_.control(kTestedListId)->setAccessibleName(QStringLiteral("Tested"));

    // The switches' names pick their hover tips.
    button(kAnonymityId).setName(QStringLiteral("Anonymity"));
    button(kPrivacyId).setName(QStringLiteral("Privacy"));
    button(kAnonymityId).setAccessibleName(QStringLiteral("Online Anonymity"));
    button(kPrivacyId).setAccessibleName(QStringLiteral("Privacy"));

    // Anonymity left on by a program that could not switch it off:
    // the machine goes straight to the upstream proxy, as its address (an
    // entry's country and marks are no part of a proxy address).
    const bool anonymityOn = host.anonymity().isOn();
    if (anonymityOn) pointAtUpstreamDirectly();
    showAnonymityState(anonymityOn);
    showPrivacyState(DwordSetting(settings::kAutoClean).get() == 1);

    // The address shown on the IP lines while anonymity is off.
    static_cast<void>(host.realIp());

    // The Tested list at once, the New list when the service answers.
    fillTestedList();
    fillNewList();
    // Settings that could not be read stand as defaults: the list host the
    // user chose, and the switch a download brackets, are unknown then, so
    // nothing goes out on the network on their strength. Nor does anything go
    // to a list service that no build or setting named.
    if (SettingsStoreUsable() && proxypool::ServiceHostSet()) startNewListFetch();

    auto* link = controls_.control<skin::HyperLink>(kTipsLinkId);
    link->setText(QStringLiteral("click here"));
    link->setAddress(QStringLiteral("http://") + QStringLiteral(VEILPORT_VENDOR_HOST) +
                     QStringLiteral("/tips.html"));
    // The window decides where the tips are: the vendor's page, or without a
    // vendor site the program's own help.
    tipsShell_ = std::make_unique<HostWebPages>(host, "/tips.html");
    link->setShell(*tipsShell_);

    // The tips sit beside the switches, inside the page.
    tips_ = new StatusTipWindow(this);
    tips_->setGeometry(380, 178, 200, 120);
    tips_->show();

    host.anonymity().onChanged(
        [page = QPointer<StatusPanel>(this)](const services::AnonymityOutcome& outcome) {
            if (page) page->anonymityChanged(outcome);
        });
    // The tested list's additions show in the Tested drop-down at once.
    host.pool().setTestedMirror(this);
    dressPageButton(&button(kCheckNowId), PageButton::CheckNow);
    check_ = [stop = host.pool().backgroundStop()] {
        return services::CheckAnonymity(proxypool::RealConnectMeasure(stop));
    };
    controls_.onClicked(kCheckNowId, [this] { checkNow(); });
    controls_.onClicked(kAnonymityId, [this] { ToggleAnonymity(); });
    controls_.onClicked(kPrivacyId, [this] { TogglePrivacy(); });
    for (const int id : {kAnonymityId, kPrivacyId}) {
        connect(&button(id), &skin::BitmapButton::hoverEntered, this, &StatusPanel::hoverEntered);
        connect(&button(id), &skin::BitmapButton::hoverLeft, this, &StatusPanel::hoverLeft);
    }
    for (const int id : {kNewListId, kTestedListId})
        ClosedComboGuard::Install(controls_.control<QComboBox>(id));
    connect(controls_.control<QComboBox>(kNewListId), &QComboBox::activated, this,
            &StatusPanel::newListChosen);
    connect(controls_.control<QComboBox>(kTestedListId), &QComboBox::activated, this,
            &StatusPanel::testedListChosen);
}

StatusPanel::~StatusPanel() {
    host().pool().setTestedMirror(nullptr);
}

skin::BitmapButton& StatusPanel::button(int id) const {
    return *controls_.control<skin::BitmapButton>(id);
}

void StatusPanel::showAnonymityState(bool enabled) {
    if (enabled) {
        button(kAnonymityId)
            .setPictures(picture::kAnonymityDisableNormal, picture::kAnonymityDisablePressed,
                         picture::kAnonymityDisableHover);
    } else {
        button(kAnonymityId)
            .setPictures(picture::kAnonymityEnableNormal, picture::kAnonymityEnablePressed,
                         picture::kAnonymityEnableHover);
    }
    auto* word = controls_.control<skin::ColorLabel>(kAnonymityWordId);
    word->setText(enabled ? QStringLiteral("Enabled") : QStringLiteral("Disabled"));
    word->setStatusColor(enabled ? kGreen : kRed);
}

void StatusPanel::showPrivacyState(bool enabled) {
    if (enabled) {
        button(kPrivacyId)
            .setPictures(picture::kPrivacyDisableNormal, picture::kPrivacyDisablePressed,
                         picture::kPrivacyDisableHover);
    } else {
        button(kPrivacyId)
            .setPictures(picture::kPrivacyEnableNormal, picture::kPrivacyEnablePressed,
                         picture::kPrivacyEnableHover);
    }
    auto* word = controls_.control<skin::ColorLabel>(kPrivacyWordId);
    word->setText(enabled ? QStringLiteral("Enabled") : QStringLiteral("Disabled"));
    word->setStatusColor(enabled ? kGreen : kRed);
}

void StatusPanel::pointAtUpstreamDirectly() {
    const auto parts = proxypool::SplitProxyText(StringSetting(settings::kProxyName).get());
    // Without a usable address there is nothing to point at; the machine stays direct.
    if (parts.host.empty() || !proxypool::IsUsablePort(parts.port)) return;
    host().pool().connection().SetConnectionOptions(proxypool::AddressKey(parts.host, parts.port));
}

void StatusPanel::ToggleAnonymity() {
    // The page follows the outcome through its listener.
    static_cast<void>(host().anonymity().toggle());
}

void StatusPanel::anonymityChanged(const services::AnonymityOutcome& outcome) {
    const QString realIp = host().realIp();
    showAnonymityState(outcome.enabled());
    switch (outcome.result) {
        case services::AnonymityOutcome::Result::Enabled:
            host().setIpInUseLine(kIpInUsePrefix + Q(StringSetting(settings::kProxyName).get()));
            host().setRealIpLine(kRealIpPrefix + realIp);
            break;
        case services::AnonymityOutcome::Result::NoProxy:
            host().setIpInUseLine(kIpInUsePrefix + realIp);
            break;
        case services::AnonymityOutcome::Result::Refused:
            // The lines keep naming what is really in use.
            break;
        case services::AnonymityOutcome::Result::Disabled:
            host().setIpInUseLine(kIpInUsePrefix + realIp);
            host().setRealIpLine(kRealIpPrefix + realIp);
            break;
    }
    update();
}

void StatusPanel::TogglePrivacy() {
    DwordSetting autoClean(settings::kAutoClean);
    const bool enable = autoClean.get() == 0;
    autoClean.set(enable ? 1 : 0);
    autoClean.write();
    showPrivacyState(enable);
    update();
}

void StatusPanel::hoverEntered(const QString& name) {
    if (name == QLatin1String("Anonymity")) {
        tips_->setAnonymityTip(
            host().anonymity().isOn()
                ? QStringLiteral(
                      "Press Disable Online Anonymity to surf using your real IP address")
                : QStringLiteral("Press Enable Online Anonymity to surf anonymously"));
    } else if (name == QLatin1String("Privacy")) {
        tips_->setPrivacyTip(
            DwordSetting(settings::kAutoClean).get() == 1
                ? QStringLiteral("Press Disable Privacy to deactivate the privacy setting.")
                : QStringLiteral("Press Enable Privacy to activate the privacy setting. To "
                                 "configure privacy settings, see the privacy panel."));
    }
}

void StatusPanel::hoverLeft(const QString& name) {
    if (name == QLatin1String("Anonymity")) tips_->setAnonymityTip({});
    if (name == QLatin1String("Privacy")) tips_->setPrivacyTip({});
}

void StatusPanel::startNewListFetch() {
    // The download goes out directly by itself: nothing of the system or the
    // browsers is switched for it.
    const proxypool::HttpGet get = host().pool().listGet();
    const std::string url = proxypool::ServiceListUrl();
    fetch_ = new QFutureWatcher<std::string>(this);
    connect(fetch_, &QFutureWatcher<std::string>::finished, this, [this] {
        const std::string body = fetch_->result();
        fetch_->deleteLater();
        fetch_ = nullptr;
        newListFetched(body);
    });
    fetch_->setFuture(QtConcurrent::run([get, url] { return get ? get(url) : std::string(); }));
}

bool StatusPanel::fetchingNewList() const {
    return fetch_ != nullptr;
}

void StatusPanel::checkNow() {
    if (checking_ || !check_) return;
    checking_ = true;
    button(kCheckNowId).setEnabled(false);
    auto* watcher = new QFutureWatcher<std::vector<services::CheckLine>>(this);
    connect(watcher, &QFutureWatcher<std::vector<services::CheckLine>>::finished, this,
            [this, watcher] {
                const auto lines = watcher->result();
                watcher->deleteLater();
                checking_ = false;
                button(kCheckNowId).setEnabled(true);
                // Cut short by Exit: its lines say nothing, and nobody waits for them.
                if (host().pool().stoppingBackgroundWork()) return;
                std::string text = services::AllHeld(lines) ? "Online Anonymity holds:\n\n"
                                                            : "Online Anonymity does not hold:\n\n";
                for (const auto& line : lines) text += services::CheckLineText(line) + "\n";
                host().messages().showSystemMessageBox(text, kCheckCaption);
                emit checkShown();
            });
    // The check connects to the Gateway and the upstream: never on this thread.
    watcher->setFuture(QtConcurrent::run(check_));
}

void StatusPanel::newListFetched(const std::string& body) {
    // The rebuild announces itself; every list, this page's too, refreshes.
    host().pool().fresh().rebuild(body);
    emit newListArrived();
}

void StatusPanel::fillNewList() {
    auto* list = controls_.control<QComboBox>(kNewListId);
    list->clear();
    for (const auto& row : host().pool().fresh().rows()) list->addItem(Q(row.entry));
    list->setCurrentIndex(-1);
}

void StatusPanel::fillTestedList() {
    resetToPerformEmptyList();
    // A file that cannot be read lists nothing here; the main window's load of
    // the tested list has already said so.
    const std::string content = proxypool::ReadMyProxies().value_or(std::string());
    for (const auto line : proxypool::MyProxiesLines(content))
        if (!line.empty()) addEntry(std::string(line));
    controls_.control<QComboBox>(kTestedListId)->setCurrentIndex(-1);
}

void StatusPanel::refreshLists() {
    fillNewList();
    fillTestedList();
}

void StatusPanel::addEntry(const std::string& text) {
    controls_.control<QComboBox>(kTestedListId)->addItem(Q(text));
}

void StatusPanel::resetToPerformEmptyList() {
    auto* list = controls_.control<QComboBox>(kTestedListId);
    list->clear();
    list->addItem(QString::fromLatin1(proxypool::kPerformEmptyList));
}

void StatusPanel::newListChosen(int index) {
    if (index < 0) return;
    const std::string text =
        controls_.control<QComboBox>(kNewListId)->itemText(index).toStdString();
    auto context = host().pool().adoptContext();
    proxypool::TestAndAdopt(text, std::string(proxypool::CountryOf(text)),
                            proxypool::AdoptEntryPoint::StatusPanelNew, context);
}

void StatusPanel::testedListChosen(int index) {
    if (index < 0) return;
    if (index == 0) {
        static_cast<void>(
            proxypool::PerformEmptyList(host().pool().tested(), *this, host().messages()));
        // The box rests at no choice again, whatever the answer was.
        controls_.control<QComboBox>(kTestedListId)->setCurrentIndex(-1);
        return;
    }
    const std::string entry =
        controls_.control<QComboBox>(kTestedListId)->itemText(index).toStdString();
    proxypool::UseTestedDropDownEntry(entry, host().pool().gateway(), host().pool().statusLine(),
                                      host().messages());
}

}  // namespace veilport::app
