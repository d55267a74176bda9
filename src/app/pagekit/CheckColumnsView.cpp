#include "app/pagekit/CheckColumnsView.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <limits>

#include "proxypool/CheckColumns.h"

namespace veilport::app {

namespace {

constexpr int kSortKeyRole = Qt::UserRole + 7;

}  // namespace

CheckedItem::CheckedItem(QTreeWidget* list, const QStringList& texts, int modelRow)
    : QTreeWidgetItem(list, texts), modelRow_(modelRow) {}

bool CheckedItem::operator<(const QTreeWidgetItem& other) const {
    const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
    const QVariant mine = data(column, kSortKeyRole);
    const QVariant theirs = other.data(column, kSortKeyRole);
    if (mine.isValid() && theirs.isValid() && mine.toDouble() != theirs.toDouble())
        return mine.toDouble() < theirs.toDouble();
    return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
}

QStringList checkColumnHeadings() {
    QStringList headings;
    for (const auto heading : proxypool::kCheckColumnHeadings)
        headings << QString::fromUtf8(heading.data(), static_cast<int>(heading.size()));
    return headings;
}

void showCheckColumns(QTreeWidgetItem& item, int first,
                      const std::optional<proxypool::HealthEntry>& entry) {
    for (int i = 0; i < proxypool::kCheckColumnCount; ++i) {
        const auto column = static_cast<proxypool::CheckColumn>(i);
        if (!entry) {
            item.setText(first + i, QString());
            item.setData(first + i, kSortKeyRole, std::numeric_limits<double>::max());
            continue;
        }
        item.setText(first + i, QString::fromStdString(proxypool::CheckColumnText(
                                    entry->check, column, entry->checkedAt)));
        double key = proxypool::CheckColumnSortKey(entry->check, column, entry->checkedAt);
        // Newest first reads best; a proxy never checked goes last either way.
        if (column == proxypool::CheckColumn::LastChecked) key = -key;
        item.setData(first + i, kSortKeyRole, key);
    }
}

void sortOnHeadingClick(QTreeWidget* list) {
    list->header()->setSortIndicator(-1, Qt::AscendingOrder);
    list->setSortingEnabled(true);
    list->header()->setSortIndicatorShown(true);
}

int firstSelectedModelRow(const QTreeWidget& list) {
    for (int row = 0; row < list.topLevelItemCount(); ++row) {
        const auto* item = list.topLevelItem(row);
        if (!item->isSelected()) continue;
        const auto* checked = dynamic_cast<const CheckedItem*>(item);
        return checked != nullptr ? checked->modelRow() : row;
    }
    return -1;
}

}  // namespace veilport::app
