#include "app/pages/anonymity/TestedProxiesPanel.h"

#include <QHeaderView>
#include <QMenu>
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

// What Test All Proxies reports while it runs off the window thread, kept in
// order and passed on to the window once the pass has ended.
class HeldReports : public MainStatusLine, public UserMessages {
public:
    void setStatusText(const std::string& text) override { held.push_back({false, text}); }
    void showMessage(const std::string& text) override { held.push_back({true, text}); }
    void showSystemMessageBox(const std::string& text, const std::string&) override {
        held.push_back({true, text});
    }
    struct Report {
        bool message;
        std::string text;
    };
    std::vector<Report> held;
};

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
      measure_(RealConnectMeasure()) {
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
                                     host().pool().gateway(), host().pool().statusLine()));
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
    // Each dead proxy may hold a connect for seconds, so the pass runs on a
    // copy of the list off the window thread; the list cannot be changed
    // meanwhile and takes the copy's rows at the end.
    testingAll_ = true;
    list_->setEnabled(false);
    controls_.control(kUseSelectedId)->setEnabled(false);
    auto copy = std::make_shared<TestedProxyList>();
    for (const ProxyRecord& record : host().pool().tested().rows()) copy->appendRow(record);
    auto reports = std::make_shared<HeldReports>();
    QtConcurrent::run([copy, reports, measure = measure_] {
        (void)TestAllProxies(*copy, measure, *reports, *reports);
    }).then(this, [this, copy, reports] {
        auto& tested = host().pool().tested();
        tested.clear();
        for (const ProxyRecord& record : copy->rows()) tested.appendRow(record);
        testingAll_ = false;
        list_->setEnabled(true);
        controls_.control(kUseSelectedId)->setEnabled(true);
        for (const auto& report : reports->held) {
            if (report.message)
                host().messages().showMessage(report.text);
            else
                host().pool().statusLine().setStatusText(report.text);
        }
        changed();
    });
}

}  // namespace veilport::proxypool::ui
