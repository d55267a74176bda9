#include "app/pages/anonymity/TestedProxiesPanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTreeWidget>
#include <ctime>
#include <memory>

#include "app/pagekit/CheckColumnsView.h"
#include "app/pagekit/ListViewRows.h"
#include "app/pagekit/PageControls.h"
#include "app/pagekit/PoolModel.h"
#include "app/skin/BitmapButton.h"
#include "proxypool/MyProxiesFile.h"
#include "proxypool/TestAllCheck.h"
#include "proxypool/TestAndAdopt.h"
#include "proxypool/UseTestedProxy.h"
#include "services/LocalTor.h"

namespace veilport::proxypool::ui {

using skin::ControlKind;

namespace {

constexpr int kColumnWidths[ProxyRecord::kColumnCount] = {105, 90, 90, 94};
constexpr int kCheckColumnWidth = 80;

std::optional<TestedProxiesPanel::Command> execMenu(QMenu& menu, QPoint at) {
    // Centred on the mouse horizontally.
    at.rx() -= menu.sizeHint().width() / 2;
    QAction* chosen = menu.exec(at);
    if (chosen == nullptr) return std::nullopt;
    return static_cast<TestedProxiesPanel::Command>(chosen->data().toInt());
}

}  // namespace

TestedProxiesPanel::TestedProxiesPanel(app::PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(this, app::kPageSizeInUnits,
                {
                    {1071, ControlKind::Static, 14, 12, 245, 20,
                     "It presents the list of already tested proxies. Select one from the list "
                     "to use it."},
                    {kListId, ControlKind::ListView, 8, 36, 257, 140},
                    {kCountId, ControlKind::Static, 8, 180, 172, 9},
                    {kProgressId, ControlKind::ProgressBar, 8, 191, 120, 7},
                    {kCancelId, ControlKind::PushButton, 132, 188, 48, 13, "Cancel"},
                    {kUseSelectedId, ControlKind::BitmapPushButton, 185, 190, 74, 15},
                }),
      list_(controls_.control<QTreeWidget>(kListId)),
      menuRunner_(execMenu),
      runner_(new app::CheckRunner(this)) {
    app::dressPage(this);
    app::dressPageButton(controls_.control<skin::BitmapButton>(kUseSelectedId),
                         app::PageButton::UseSelected);
    app::nameControls(controls_, {{kListId, "Tested proxies"},
                                  {kCancelId, "Cancel"},
                                  {kCountId, "Test result"},
                                  {kProgressId, "Test progress"}});
    QStringList headings;
    for (const auto heading : kTestedListHeadings)
        headings << QString::fromUtf8(heading.data(), static_cast<int>(heading.size()));
    headings << app::checkColumnHeadings();
    list_->setColumnCount(static_cast<int>(headings.size()));
    list_->setHeaderLabels(headings);
    for (int column = 0; column < list_->columnCount(); ++column)
        list_->setColumnWidth(
            column, column < ProxyRecord::kColumnCount ? kColumnWidths[column] : kCheckColumnWidth);
    // The headings must read whole in their fixed widths.
    QFont headingFont = list_->header()->font();
    headingFont.setPointSizeF(headingFont.pointSizeF() - 1);
    list_->header()->setFont(headingFont);
    list_->header()->setStretchLastSection(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    app::sortOnHeadingClick(list_);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { showContextMenu(list_->viewport()->mapToGlobal(at)); });
    onDoubleClick(list_, [this] { useSelected(); });
    controls_.onClicked(kUseSelectedId, [this] { useSelected(); });
    controls_.onClicked(kCancelId, [this] { cancelTestAll(); });
    controls_.control(kCancelId)->setEnabled(false);
    auto* progress = controls_.control<QProgressBar>(kProgressId);
    progress->setTextVisible(false);
    progress->setRange(0, 1);
    progress->setValue(0);
    connect(runner_, &app::CheckRunner::checked, this, &TestedProxiesPanel::checked);
    connect(runner_, &app::CheckRunner::finished, this, [this](bool cancelled) {
        showProgress(cancelled);
        testAllEnded();
    });
    connect(&host.pool(), &app::PoolModel::checksStopped, this, &TestedProxiesPanel::cancelTestAll);
    showRows();
}

void TestedProxiesPanel::setConnectMeasure(ConnectMeasure measure) {
    // Only the connect, as when no judge answers.
    checker_ = [measure = std::move(measure)](const ListedProxy& proxy, const inet::CancelCheck&) {
        ProxyCheck check;
        check.connectMs = measure ? measure(proxy.host, proxy.port) : 0;
        check.connected = check.connectMs > 0;
        check.works = check.connected;
        return check;
    };
}

void TestedProxiesPanel::showRows() {
    const int selected = app::firstSelectedModelRow(*list_);
    list_->setSortingEnabled(false);
    list_->clear();
    std::vector<std::string> addresses;
    const auto proxies = TestedProxiesToCheck(host().pool().tested(), addresses);
    int row = 0;
    for (const ProxyRecord& record : host().pool().tested().rows()) {
        QStringList texts;
        for (int column = 0; column < ProxyRecord::kColumnCount; ++column)
            texts << QString::fromStdString(record.column(column));
        auto* item = new app::CheckedItem(list_, texts, row);
        const auto index = static_cast<std::size_t>(row);
        app::showCheckColumns(*item, kFirstCheckColumn,
                              index < proxies.size()
                                  ? host().pool().health().find(proxies[index].text())
                                  : std::nullopt);
        if (row == selected) item->setSelected(true);
        ++row;
    }
    // This machine's Tor, when found and not in the list yet, as an offer
    // after the rows: choosing it tests it like any new proxy.
    if (const auto& tor = host().pool().localTor();
        tor && host().pool().tested().FindTestedProxy(tor->displayText()) < 0) {
        auto* offer = new app::CheckedItem(
            list_, QStringList{QString::fromStdString(services::LocalTorEntry(*tor))}, row);
        offer->setFirstColumnSpanned(true);
        QFont italic = offer->font(0);
        italic.setItalic(true);
        offer->setFont(0, italic);
        if (row == selected) offer->setSelected(true);
    }
    list_->setSortingEnabled(true);
}

void TestedProxiesPanel::useSelected() {
    if (testingAll_) return;
    const int row = app::firstSelectedModelRow(*list_);
    if (row < 0) return;
    if (isOffer(row)) {
        useLocalTor();
        return;
    }
    const ProxyRecord& record = host().pool().tested().rows()[static_cast<std::size_t>(row)];
    static_cast<void>(UseTestedProxy(record.column(0), record.column(1), host().pool().gateway(),
                                     host().pool().statusLine(), host().messages()));
}

void TestedProxiesPanel::showContextMenu(QPoint globalPos) {
    const int row = app::firstSelectedModelRow(*list_);
    if (testingAll_ || row < 0 || isOffer(row)) return;
    QMenu menu(this);
    const std::pair<Command, const char*> entries[] = {
        {Command::RemoveProxy, "Remove Proxy"},
        {Command::RemoveAllProxies, "Remove All Proxies"},
        {Command::TestProxy, "Test Proxy"},
        {Command::TestAllProxies, "Test All Proxies"},
    };
    for (const auto& [command, text] : entries)
        menu.addAction(QString::fromLatin1(text))->setData(static_cast<int>(command));
    // The command runs once the menu has closed.
    const auto chosen = menuRunner_(menu, globalPos);
    if (chosen) runCommand(*chosen);
}

void TestedProxiesPanel::runCommand(Command command) {
    if (testingAll_) return;
    switch (command) {
        case Command::RemoveProxy:
            removeFirstSelected();
            return;
        case Command::RemoveAllProxies:
            removeAll();
            return;
        case Command::TestProxy:
            testFirstSelected();
            return;
        case Command::TestAllProxies:
            testAll();
            return;
    }
}

bool TestedProxiesPanel::isOffer(int row) const {
    return row >= host().pool().tested().rowCount();
}

void TestedProxiesPanel::useLocalTor() {
    const auto tor = host().pool().localTor();
    if (!tor) return;
    auto context = host().pool().adoptContext();
    // Adopted only through the tester's Done, as any proxy the person adds.
    (void)TestAndAdopt(tor->displayText(), std::string(), AdoptEntryPoint::AddPanel, context);
    changed();
}

void TestedProxiesPanel::changed() {
    showRows();
}

void TestedProxiesPanel::saveList() {
    const auto saved = SaveTestedProxies(host().pool().tested());
    if (!saved.ok) host().messages().showMessage(saved.message);
    changed();
}

void TestedProxiesPanel::removeFirstSelected() {
    const int row = app::firstSelectedModelRow(*list_);
    if (row < 0 || isOffer(row)) return;
    host().pool().tested().removeRow(row);
    saveList();
}

void TestedProxiesPanel::removeAll() {
    host().pool().tested().clear();
    saveList();
}

void TestedProxiesPanel::testFirstSelected() {
    const int row = app::firstSelectedModelRow(*list_);
    if (row < 0 || isOffer(row)) return;
    auto context = host().pool().adoptContext();
    TestTestedProxy(row, context);
    changed();
}

void TestedProxiesPanel::testAll() {
    // Each dead proxy may hold a check for seconds, so the pass runs off the
    // window thread, many at once. The list goes on changing meanwhile (the
    // status page, the Add page, the wizard, veilportctl adopt), so each
    // result goes into the list as it is when the result arrives, found by
    // its address: a proxy removed meanwhile stays removed, one adopted
    // meanwhile stays, and the file is written from that list.
    if (testingAll_) return;
    checking_ = TestedProxiesToCheck(host().pool().tested(), addresses_);
    const auto checker = checker_ ? checker_ : app::CheckRunner::judgeChecker();
    if (!runner_->start(checking_, checker, app::CheckRunner::storedConcurrency())) return;
    testingAll_ = true;
    list_->setEnabled(false);
    controls_.control(kUseSelectedId)->setEnabled(false);
    controls_.control(kCancelId)->setEnabled(true);
    showProgress();
}

void TestedProxiesPanel::cancelTestAll() {
    if (!runner_->running()) return;
    controls_.control(kCancelId)->setEnabled(false);
    runner_->cancel();
}

void TestedProxiesPanel::checked(int index, const ProxyCheck& check) {
    const auto at = static_cast<std::size_t>(index);
    if (index < 0 || at >= checking_.size()) return;
    host().pool().health().record(checking_[at].text(), check,
                                  static_cast<std::int64_t>(std::time(nullptr)));
    const auto outcome = ApplyTestAllCheck(host().pool().tested(), addresses_[at], check,
                                           host().pool().statusLine(), host().messages());
    // A file that cannot be written ends the pass, as it always has.
    if (outcome == TestAllOutcome::FileError) runner_->cancel();
    showProgress();
    changed();
}

void TestedProxiesPanel::showProgress(bool cancelled) {
    auto* progress = controls_.control<QProgressBar>(kProgressId);
    progress->setRange(0, static_cast<int>(std::max<std::size_t>(runner_->total(), 1)));
    progress->setValue(static_cast<int>(runner_->done()));
    controls_.control<QLabel>(kCountId)->setText(
        QStringLiteral("%1 %2 of %3: %4 working")
            .arg(cancelled ? QStringLiteral("Cancelled after") : QStringLiteral("Tested"))
            .arg(runner_->done())
            .arg(runner_->total())
            .arg(runner_->working()));
}

void TestedProxiesPanel::testAllEnded() {
    checking_.clear();
    addresses_.clear();
    testingAll_ = false;
    list_->setEnabled(true);
    controls_.control(kUseSelectedId)->setEnabled(true);
    controls_.control(kCancelId)->setEnabled(false);
    changed();
}

}  // namespace veilport::proxypool::ui
