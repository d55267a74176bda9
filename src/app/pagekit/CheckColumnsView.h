#pragma once

#include <QStringList>
#include <QTreeWidgetItem>
#include <optional>

#include "proxypool/ProxyHealth.h"

class QTreeWidget;

namespace veilport::app {

// A list row that sorts by the key its check columns carry (latency by
// number, levels from elite down, dead proxies last), then by text, and
// remembers which row of its list it shows, so a sorted view still acts on
// the right proxy.
class CheckedItem : public QTreeWidgetItem {
public:
    CheckedItem(QTreeWidget* list, const QStringList& texts, int modelRow);

    int modelRow() const { return modelRow_; }
    bool operator<(const QTreeWidgetItem& other) const override;

private:
    int modelRow_;
};

// The headings of the check columns, in column order.
QStringList checkColumnHeadings();

// Fills the check columns from `first` on with what the latest check found;
// empty columns (sorted after every checked row) when there was none.
void showCheckColumns(QTreeWidgetItem& item, int first,
                      const std::optional<proxypool::HealthEntry>& entry);

// Sorting by a click on a heading, starting in the list's own order.
void sortOnHeadingClick(QTreeWidget* list);

// The list row of the first selected row as shown, or -1 without one.
int firstSelectedModelRow(const QTreeWidget& list);

}  // namespace veilport::app
