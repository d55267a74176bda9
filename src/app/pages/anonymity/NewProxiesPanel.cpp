#include "app/pages/anonymity/NewProxiesPanel.h"

#include <QHeaderView>
#include <QTreeWidget>

#include "app/pagekit/ListViewRows.h"
#include "app/pagekit/PageControls.h"
#include "app/pagekit/PoolModel.h"
#include "app/skin/Pictures.h"
#include "proxypool/ProxyText.h"
#include "proxypool/TestAndAdopt.h"

namespace veilport::proxypool::ui {

using skin::ControlKind;

NewProxiesPanel::NewProxiesPanel(app::PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(this, app::kPageSizeInUnits,
                {
                    {1071, ControlKind::Static, 14, 12, 245, 22,
                     "It shows the list of available anonymous proxies.\nDouble-click one proxy "
                     "in order to test it and use it."},
                    {kListId, ControlKind::ListView, 14, 40, 245, 170},
                }),
      list_(controls_.control<QTreeWidget>(kListId)) {
    app::dressPage(this);
    app::nameControls(controls_, {{kListId, "Available anonymous proxies"}});
    list_->setColumnCount(1);
    list_->setHeaderLabels({QString()});
    list_->setColumnWidth(0, 300);
    list_->setIconSize({16, 16});
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    onDoubleClick(list_, [this] { testSelected(); });
    showRows();
}

void NewProxiesPanel::showRows() {
    const QIcon plain(skin::loadPicture(skin::picture::kProxyPlain));
    const QIcon post(skin::loadPicture(skin::picture::kProxyPost));
    const auto& rows = host().pool().fresh().rows();
    // The same rows again keep the user's selection.
    bool same = list_->topLevelItemCount() == static_cast<int>(rows.size());
    for (int i = 0; same && i < list_->topLevelItemCount(); ++i)
        same = list_->topLevelItem(i)->text(0).toStdString() ==
               rows[static_cast<std::size_t>(i)].entry;
    if (same) return;
    list_->clear();
    for (const NewListRow& row : rows) {
        auto* item = new QTreeWidgetItem(list_, {QString::fromStdString(row.entry)});
        item->setIcon(0, row.picture == 1 ? post : plain);
    }
}

void NewProxiesPanel::testSelected() {
    // Without a selection the tester still opens, with nothing to test: the
    // user sees the failure rather than nothing at all.
    const int row = firstSelectedRow(*list_);
    const std::string text =
        row < 0 ? std::string() : list_->topLevelItem(row)->text(0).toStdString();
    auto context = host().pool().adoptContext();
    TestAndAdopt(text, std::string(CountryOf(text)), AdoptEntryPoint::NewList, context);
}

}  // namespace veilport::proxypool::ui
