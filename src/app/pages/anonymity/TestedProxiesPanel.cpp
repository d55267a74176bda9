#include "app/pages/anonymity/TestedProxiesPanel.h"

#include <QFutureWatcher>
#include <QHeaderView>
#include <QMenu>
#include <QPromise>
#include <QTreeWidget>
#include <QtConcurrent>
#include <memory>

#include "app/pagekit/ListViewRows.h"
#include "app/pagekit/PageControls.h"
#include "app/pagekit/PoolModel.h"
#include "app/skin/BitmapButton.h"
#include "proxypool/MyProxiesFile.h"
#include "proxypool/TestAllProxies.h"
#include "proxypool/TestAndAdopt.h"
#include "proxypool/UseTestedProxy.h"

namespace veilport::proxypool::ui {

using skin::ControlKind;

namespace {

constexpr int kColumnWidths[ProxyRecord::kColumnCount] = {105, 90, 90, 94};

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
                    {kListId, ControlKind::ListView, 8, 36, 257, 148},
                    {kUseSelectedId, ControlKind::BitmapPushButton, 185, 190, 74, 15},
                }),
      list_(controls_.control<QTreeWidget>(kListId)),
      menuRunner_(execMenu),
      measure_(RealConnectMeasure(host.pool().backgroundStop())) {
    app::dressPage(this);
    app::dressPageButton(controls_.control<skin::BitmapButton>(kUseSelectedId),
                         app::PageButton::UseSelected);
    app::nameControls(controls_, {{kListId, "Tested proxies"}});
    QStringList headings;
    for (const auto heading : kTestedListHeadings)
        headings << QString::fromUtf8(heading.data(), static_cast<int>(heading.size()));
    list_->setColumnCount(ProxyRecord::kColumnCount);
    list_->setHeaderLabels(headings);
    for (int column = 0; column < ProxyRecord::kColumnCount; ++column)
        list_->setColumnWidth(column, kColumnWidths[column]);
    // The headings must read whole in their fixed widths.
    QFont headingFont = list_->header()->font();
    headingFont.setPointSizeF(headingFont.pointSizeF() - 1);
    list_->header()->setFont(headingFont);
    list_->header()->setStretchLastSection(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { showContextMenu(list_->viewport()->mapToGlobal(at)); });
    onDoubleClick(list_, [this] { useSelected(); });
    controls_.onClicked(kUseSelectedId, [this] { useSelected(); });
    showRows();
}

void TestedProxiesPanel::showRows() {
    const int selected = firstSelectedRow(*list_);
    list_->clear();
    for (const ProxyRecord& record : host().pool().tested().rows()) {
        QStringList texts;
        for (int column = 0; column < ProxyRecord::kColumnCount; ++column)
            texts << QString::fromStdString(record.column(column));
        new QTreeWidgetItem(list_, texts);
    }
    if (selected >= 0 && selected < list_->topLevelItemCount())
        list_->topLevelItem(selected)->setSelected(true);
}

void TestedProxiesPanel::useSelected() {
    if (testingAll_) return;
    const int row = firstSelectedRow(*list_);
    if (row < 0) return;
    const auto* item = list_->topLevelItem(row);
    static_cast<void>(UseTestedProxy(item->text(0).toStdString(), item->text(1).toStdString(),
                                     host().pool().gateway(), host().pool().statusLine(),
                                     host().messages()));
}

void TestedProxiesPanel::showContextMenu(QPoint globalPos) {
    if (testingAll_ || firstSelectedRow(*list_) < 0) return;
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

void TestedProxiesPanel::changed() {
    showRows();
}

void TestedProxiesPanel::saveList() {
    const auto saved = SaveTestedProxies(host().pool().tested());
    if (!saved.ok) host().messages().showMessage(saved.message);
    changed();
}

void TestedProxiesPanel::removeFirstSelected() {
    const int row = firstSelectedRow(*list_);
    if (row < 0) return;
    host().pool().tested().removeRow(row);
    saveList();
}

void TestedProxiesPanel::removeAll() {
    host().pool().tested().clear();
    saveList();
}

void TestedProxiesPanel::testFirstSelected() {
    const int row = firstSelectedRow(*list_);
    if (row < 0) return;
    auto context = host().pool().adoptContext();
    TestTestedProxy(row, context);
    changed();
}

void TestedProxiesPanel::testAll() {
    // Each dead proxy may hold a connect for seconds, so the pass measures off
    // the window thread. The list goes on changing meanwhile (the status page,
    // the Add page, the wizard, veilportctl adopt), so each result goes into
    // the list as it is when the result arrives: a proxy removed meanwhile
    // stays removed, one adopted meanwhile stays, and the file is written
    // from that list.
    testingAll_ = true;
    list_->setEnabled(false);
    controls_.control(kUseSelectedId)->setEnabled(false);
    auto* watcher = new QFutureWatcher<ProxyTestResult>(this);
    connect(watcher, &QFutureWatcher<ProxyTestResult>::resultReadyAt, this,
            [this, watcher](int at) {
                // A test cut short by Exit failed for want of time, not
                // because the proxy is dead: it must not cost the proxy its row.
                if (host().pool().stoppingBackgroundWork()) return;
                const auto applied = ApplyTestResult(host().pool().tested(), watcher->resultAt(at),
                                                     host().pool().statusLine(), host().messages());
                // A file that cannot be written ends the pass, as it always has.
                if (!applied.ok) watcher->cancel();
                changed();
            });
    connect(watcher, &QFutureWatcher<ProxyTestResult>::finished, this, [this, watcher] {
        watcher->deleteLater();
        testingAll_ = false;
        list_->setEnabled(true);
        controls_.control(kUseSelectedId)->setEnabled(true);
        changed();
    });
    auto pass = QtConcurrent::run(
        [rows = host().pool().tested().rows(), measure = measure_,
         stop = host().pool().backgroundStop()](QPromise<ProxyTestResult>& promise) {
            MeasureTestedProxies(
                rows, measure, [&](const ProxyTestResult& result) { promise.addResult(result); },
                [&] { return !promise.isCanceled() && !stop.stop_requested(); });
        });
    // A page that goes (the program exits) ends the pass after the proxy in
    // hand, rather than having the exit wait for the whole list.
    connect(watcher, &QObject::destroyed, [pass]() mutable { pass.cancel(); });
    watcher->setFuture(pass);
}

}  // namespace veilport::proxypool::ui
