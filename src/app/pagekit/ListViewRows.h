#pragma once

#include <QTreeWidget>
#include <functional>

namespace veilport::proxypool::ui {

// The index of the first selected row (the lowest), or -1 without a selection.
int firstSelectedRow(const QTreeWidget& list);

// Calls handler on every double-click in the list, on a row or beside the
// rows: a double-click acts on the selection, whatever it lands on.
void onDoubleClick(QTreeWidget* list, std::function<void()> handler);

}  // namespace veilport::proxypool::ui
