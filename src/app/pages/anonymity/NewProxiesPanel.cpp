#include "app/pages/anonymity/NewProxiesPanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>
#include <algorithm>
#include <ctime>

#include "app/pagekit/CheckColumnsView.h"
#include "app/pagekit/ListViewRows.h"
#include "app/pagekit/PageControls.h"
#include "app/pagekit/PoolModel.h"
#include "app/skin/Pictures.h"
#include "proxypool/ProxyText.h"
#include "proxypool/TestAndAdopt.h"

namespace veilport::proxypool::ui {

using skin::ControlKind;

namespace {

constexpr int kColumnWidths[] = {135, 95, 70, 95, 70, 50, 60, 80};

}  // namespace

NewProxiesPanel::NewProxiesPanel(app::PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(this, app::kPageSizeInUnits,
                {
                    {1071, ControlKind::Static, 14, 12, 245, 22,
                     "It shows the list of available anonymous proxies.\nDouble-click one proxy "
                     "in order to test it and use it."},
                    {kListId, ControlKind::ListView, 14, 36, 245, 146},
                    {kCheckAllId, ControlKind::PushButton, 14, 186, 50, 13, "Check all"},
                    {kCancelId, ControlKind::PushButton, 68, 186, 50, 13, "Cancel"},
                    {kCountId, ControlKind::Static, 124, 188, 135, 10},
                    {kProgressId, ControlKind::ProgressBar, 14, 203, 245, 7},
                }),
      list_(controls_.control<QTreeWidget>(kListId)),
      runner_(new app::CheckRunner(this)) {
    app::dressPage(this);
    app::nameControls(controls_, {{kListId, "Available anonymous proxies"},
                                  {kCheckAllId, "Check all"},
                                  {kCancelId, "Cancel"},
                                  {kCountId, "Check result"},
                                  {kProgressId, "Check progress"}});
    QStringList headings = {QString(), QStringLiteral("Source")};
    headings << app::checkColumnHeadings();
    list_->setColumnCount(static_cast<int>(headings.size()));
    list_->setHeaderLabels(headings);
    for (int column = 0; column < list_->columnCount(); ++column)
        list_->setColumnWidth(column, kColumnWidths[column]);
    list_->setIconSize({16, 16});
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    app::sortOnHeadingClick(list_);
    onDoubleClick(list_, [this] { testSelected(); });

    auto* progress = controls_.control<QProgressBar>(kProgressId);
    progress->setTextVisible(false);
    progress->setRange(0, 1);
    progress->setValue(0);
    controls_.control(kCancelId)->setEnabled(false);
    controls_.onClicked(kCheckAllId, [this] { checkAll(); });
    controls_.onClicked(kCancelId, [this] { cancelCheck(); });
    connect(runner_, &app::CheckRunner::checked, this, [this](int index, const ProxyCheck& check) {
        if (index >= 0 && static_cast<std::size_t>(index) < checking_.size())
            checked(checking_[static_cast<std::size_t>(index)], check);
        showProgress();
    });
    connect(runner_, &app::CheckRunner::finished, this, &NewProxiesPanel::batchEnded);
    connect(&host.pool(), &app::PoolModel::checksStopped, this, &NewProxiesPanel::cancelCheck);
    showRows();
}

void NewProxiesPanel::showRows() {
    const QIcon plain(skin::loadPicture(skin::picture::kProxyPlain));
    const QIcon post(skin::loadPicture(skin::picture::kProxyPost));
    const auto& rows = host().pool().fresh().supplyRows();
    // The same rows again keep the user's selection and order.
    bool same = list_->topLevelItemCount() == static_cast<int>(rows.size());
    for (int i = 0; same && i < list_->topLevelItemCount(); ++i) {
        const auto* item = static_cast<const app::CheckedItem*>(list_->topLevelItem(i));
        same =
            rows[static_cast<std::size_t>(item->modelRow())].entry == item->text(0).toStdString();
    }
    if (same) {
        // Checks made elsewhere (Test All, the re-tests) may have news.
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::string key = rows[i].proxy.text();
            if (auto* item = itemsByKey_.value(QString::fromStdString(key)))
                app::showCheckColumns(*item, kFirstCheckColumn, host().pool().health().find(key));
        }
        return;
    }
    list_->setSortingEnabled(false);
    list_->clear();
    itemsByKey_.clear();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SupplyRow& row = rows[i];
        const QString source = row.source == kServiceSourceName
                                   ? QString::fromUtf8(kServiceSourceName.data(),
                                                       static_cast<int>(kServiceSourceName.size()))
                                   : QString::fromStdString(row.source);
        auto* item = new app::CheckedItem(list_, {QString::fromStdString(row.entry), source},
                                          static_cast<int>(i));
        item->setIcon(0, row.picture == 1 ? post : plain);
        const QString key = QString::fromStdString(row.proxy.text());
        app::showCheckColumns(*item, kFirstCheckColumn,
                              host().pool().health().find(row.proxy.text()));
        itemsByKey_.insert(key, item);
    }
    list_->setSortingEnabled(true);
}

void NewProxiesPanel::testSelected() {
    // Without a selection the tester still opens, with nothing to test: the
    // user sees the failure rather than nothing at all.
    QTreeWidgetItem* first = nullptr;
    for (int row = 0; row < list_->topLevelItemCount() && first == nullptr; ++row)
        if (list_->topLevelItem(row)->isSelected()) first = list_->topLevelItem(row);
    const std::string text = first == nullptr ? std::string() : first->text(0).toStdString();
    auto context = host().pool().adoptContext();
    TestAndAdopt(text, std::string(CountryOf(text)), AdoptEntryPoint::NewList, context);
}

void NewProxiesPanel::checkAll() {
    if (runner_->running()) return;
    std::vector<ListedProxy> proxies;
    checking_.clear();
    for (const SupplyRow& row : host().pool().fresh().supplyRows()) {
        proxies.push_back(row.proxy);
        checking_.push_back(row.proxy.text());
    }
    if (proxies.empty()) {
        controls_.control<QLabel>(kCountId)->setText(QStringLiteral("Nothing to check"));
        return;
    }
    const auto checker = checker_ ? checker_ : app::CheckRunner::judgeChecker();
    if (!runner_->start(std::move(proxies), checker, app::CheckRunner::storedConcurrency())) return;
    controls_.control(kCheckAllId)->setEnabled(false);
    controls_.control(kCancelId)->setEnabled(true);
    showProgress();
}

void NewProxiesPanel::cancelCheck() {
    if (!runner_->running()) return;
    controls_.control(kCancelId)->setEnabled(false);
    controls_.control<QLabel>(kCountId)->setText(QStringLiteral("Cancelling..."));
    runner_->cancel();
}

void NewProxiesPanel::checked(const std::string& key, const ProxyCheck& check) {
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    host().pool().health().record(key, check, now);
    auto* item = itemsByKey_.value(QString::fromStdString(key));
    if (item != nullptr) app::showCheckColumns(*item, kFirstCheckColumn, HealthEntry{check, now});
}

void NewProxiesPanel::showProgress() {
    auto* progress = controls_.control<QProgressBar>(kProgressId);
    progress->setRange(0, static_cast<int>(std::max<std::size_t>(runner_->total(), 1)));
    progress->setValue(static_cast<int>(runner_->done()));
    controls_.control<QLabel>(kCountId)->setText(QStringLiteral("Checked %1 of %2: %3 working")
                                                     .arg(runner_->done())
                                                     .arg(runner_->total())
                                                     .arg(runner_->working()));
}

void NewProxiesPanel::batchEnded(bool cancelled) {
    controls_.control(kCheckAllId)->setEnabled(true);
    controls_.control(kCancelId)->setEnabled(false);
    checking_.clear();
    controls_.control<QLabel>(kCountId)->setText(
        QStringLiteral("%1 %2 of %3: %4 working")
            .arg(cancelled ? QStringLiteral("Cancelled after") : QStringLiteral("Checked"))
            .arg(runner_->done())
            .arg(runner_->total())
            .arg(runner_->working()));
}

}  // namespace veilport::proxypool::ui
