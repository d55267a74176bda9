#include "app/pagekit/ListViewRows.h"

#include <QEvent>

namespace veilport::proxypool::ui {

namespace {

class DoubleClickFilter : public QObject {
public:
    DoubleClickFilter(QObject* parent, std::function<void()> handler)
        : QObject(parent), handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick) {
            handler_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> handler_;
};

}  // namespace

int firstSelectedRow(const QTreeWidget& list) {
    for (int row = 0; row < list.topLevelItemCount(); ++row)
        if (list.topLevelItem(row)->isSelected()) return row;
    return -1;
}

void onDoubleClick(QTreeWidget* list, std::function<void()> handler) {
    list->viewport()->installEventFilter(new DoubleClickFilter(list, std::move(handler)));
}

}  // namespace veilport::proxypool::ui
