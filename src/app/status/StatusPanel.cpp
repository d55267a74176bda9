#include "app/status/StatusPanel.h"

#include <QComboBox>
#include <QLabel>
#include <QtConcurrent/QtConcurrentRun>

#include "app/skin/BitmapButton.h"
#include "app/skin/ColorLabel.h"
#include "app/skin/HyperLink.h"
#include "app/skin/Pictures.h"
#include "app/status/ClosedComboGuard.h"
#include "app/status/StatusTipWindow.h"
#include "platform/net/LocalAddress.h"
#include "proxypool/FetchProxyList.h"
#include "proxypool/MyProxiesFile.h"
#include "proxypool/MyProxiesFormat.h"
#include "proxypool/ProxyText.h"
#include "proxypool/TestAndAdopt.h"
#include "proxypool/UseTestedProxy.h"
#include "settings/DwordSetting.h"
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
    DwordSetting useProxy(settings::kUseProxy);
    button(kAnonymityId).setName(QStringLiteral("Anonymity"));
    button(kPrivacyId).setName(QStringLiteral("Privacy"));
    button(kAnonymityId).setAccessibleName(QStringLiteral("Online Anonymity"));
    button(kPrivacyId).setAccessibleName(QStringLiteral("Privacy"));

    // Anonymity left on by a program that could not switch it off:
    // the machine goes straight to the upstream proxy, as its address (an
    // entry's country and marks are no part of a proxy address).
    if (useProxy.get() == 1) pointAtUpstreamDirectly();
    showAnonymityState(useProxy.get() == 1);
    showPrivacyState(DwordSetting(settings::kAutoClean).get() == 1);

    // The address shown on the IP lines while anonymity is off.
    realIp_ = Q(net::FindLocalAddress());

    // The Tested list at once, the New list when the service answers.
    fillTestedList();
    fillNewList();
    startNewListFetch();

    auto* link = controls_.control<skin::HyperLink>(kTipsLinkId);
    link->setText(QStringLiteral("click here"));
    link->setAddress(QStringLiteral("http://") + QStringLiteral(VEILPORT_VENDOR_HOST) +
                     QStringLiteral("/tips.html"));

    // The tips sit beside the switches, inside the page.
    tips_ = new StatusTipWindow(this);
    tips_->setGeometry(380, 178, 200, 120);
    tips_->show();

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

StatusPanel::~StatusPanel() = default;

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
    host().connection().SetConnectionOptions(proxypool::AddressKey(parts.host, parts.port));
}

bool StatusPanel::ApplyAnonymity() {
    return apply() == Applied::Done;
}

StatusPanel::Applied StatusPanel::apply() {
    lastProblem_.clear();
    DwordSetting useProxy(settings::kUseProxy);
    StringSetting proxyName(settings::kProxyName);
    auto& gateway = host().gateway();
    auto& connection = host().connection();
    const auto switchOff = [&] {
        connection.DisableConnectionProxy();
        useProxy.set(0);
        useProxy.write();
        if (gateway.isRunning()) gateway.stop();
    };

    if (useProxy.get() == 1 && proxyName.get().empty()) {
        host().messages().showMessage(kSelectProxyFirst);
        switchOff();
        return Applied::NoProxy;
    }
    if (useProxy.get() == 1) {
        const auto upstream = proxypool::SplitProxyText(proxyName.get());
        // The Gateway cannot forward to a port outside 1 to 65535; pointing the
        // browsers at it would leave them at a proxy that carries nothing.
        if (!proxypool::IsUsablePort(upstream.port)) {
            lastProblem_ = proxypool::kCannotStartProxy;
            host().messages().showMessage(proxypool::kCannotStartProxy);
            switchOff();
            return Applied::Refused;
        }
        // The Gateway first, and only once it listens is anything pointed at
        // its port: a port another program holds must never receive the
        // browsers' traffic, and a dead port must never show as Enabled.
        DwordSetting localPort(settings::kLocalPort);
        if (gateway.isRunning()) gateway.stop();
        const auto port = localPort.get();
        if (port < 1 || port > 65535 ||
            !gateway.start(static_cast<int>(port), upstream.host, upstream.port)) {
            const std::string why = gateway.startProblem();
            lastProblem_ = why.empty() ? std::string(proxypool::kCannotStartProxy) : why;
            host().messages().showMessage(lastProblem_);
            switchOff();
            return Applied::Refused;
        }
        connection.SetConnectionOptions(proxypool::GatewayProxyAddress());
        return Applied::Done;
    }
    switchOff();
    update();
    return Applied::Done;
}

void StatusPanel::ToggleAnonymity() {
    DwordSetting useProxy(settings::kUseProxy);
    if (useProxy.get() == 0) {
        showAnonymityState(true);
        useProxy.set(1);
        useProxy.write();
        switch (apply()) {
            case Applied::Done: {
                StringSetting proxyName(settings::kProxyName);
                host().setIpInUseLine(kIpInUsePrefix + Q(proxyName.get()));
                host().setRealIpLine(kRealIpPrefix + realIp_);
                break;
            }
            case Applied::NoProxy:
                showAnonymityState(false);
                host().setIpInUseLine(kIpInUsePrefix + realIp_);
                break;
            case Applied::Refused:
                // The lines keep naming what is really in use.
                showAnonymityState(false);
                break;
        }
    } else {
        showAnonymityState(false);
        useProxy.set(0);
        useProxy.write();
        static_cast<void>(apply());
        host().setIpInUseLine(kIpInUsePrefix + realIp_);
        host().setRealIpLine(kRealIpPrefix + realIp_);
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
            DwordSetting(settings::kUseProxy).get() == 1
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
    const proxypool::HttpGet get = host().listGet();
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

void StatusPanel::newListFetched(const std::string& body) {
    host().newList().rebuild(body);
    fillNewList();
    host().poolChanged();
    emit newListArrived();
}

void StatusPanel::fillNewList() {
    auto* list = controls_.control<QComboBox>(kNewListId);
    list->clear();
    for (const auto& row : host().newList().rows()) list->addItem(Q(row.entry));
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
    proxypool::AdoptContext context{
        host().testedList(), host().testerDialog(), host().gateway(), host().statusLine(), *this,
        host().messages()};
    const auto outcome =
        proxypool::TestAndAdopt(text, std::string(proxypool::CountryOf(text)),
                                proxypool::AdoptEntryPoint::StatusPanelNew, context);
    if (outcome != proxypool::AdoptOutcome::NotAdopted) host().poolChanged();
}

void StatusPanel::testedListChosen(int index) {
    if (index < 0) return;
    if (index == 0) {
        static_cast<void>(
            proxypool::PerformEmptyList(host().testedList(), *this, host().messages()));
        host().poolChanged();
        return;
    }
    const std::string entry =
        controls_.control<QComboBox>(kTestedListId)->itemText(index).toStdString();
    proxypool::UseTestedDropDownEntry(entry, host().gateway(), host().statusLine(),
                                      host().messages());
}

}  // namespace veilport::app
