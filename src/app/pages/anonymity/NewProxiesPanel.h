#pragma once

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"

class QTreeWidget;

namespace veilport::proxypool::ui {

// The New list: every proxy of the service list, with a picture for those
// that take POST; a double-click tests the selected one and adopts it.
class NewProxiesPanel : public app::Page {
    Q_OBJECT

public:
    static constexpr int kListId = 1032;

    NewProxiesPanel(app::PageHost& host, QWidget* parent);

    void onPoolChanged() override { showRows(); }

    QTreeWidget* list() const { return list_; }
    // What a double-click does: test and adopt the first selected row.
    void testSelected();

private:
    void showRows();

    skin::DialogTemplate controls_;
    QTreeWidget* list_;
};

}  // namespace veilport::proxypool::ui
