#pragma once

#include <QHash>
#include <functional>

#include "app/pagekit/CheckRunner.h"
#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace veilport::proxypool::ui {

// The New list: every proxy of the service list and of the user's list
// sources, with its source; a picture marks those that take POST. A
// double-click tests the selected one and adopts it; Check all checks every
// one with the judge, many at once, and fills the result columns.
class NewProxiesPanel : public app::Page {
    Q_OBJECT

public:
    static constexpr int kListId = 1032;
    static constexpr int kCheckAllId = 1040;
    static constexpr int kCancelId = 1041;
    static constexpr int kCountId = 1042;
    static constexpr int kProgressId = 1043;
    // The list's columns before the check columns.
    static constexpr int kSourceColumn = 1;
    static constexpr int kFirstCheckColumn = 2;

    NewProxiesPanel(app::PageHost& host, QWidget* parent);

    void onPoolChanged() override { showRows(); }

    QTreeWidget* list() const { return list_; }
    // What a double-click does: test and adopt the first selected row.
    void testSelected();

    // Check all: every row, with the checker (the judge the settings name
    // unless a test gave another).
    void checkAll();
    void cancelCheck();
    const app::CheckRunner& runner() const { return *runner_; }
    void setChecker(app::CheckRunner::Checker checker) { checker_ = std::move(checker); }

private:
    void showRows();
    void checked(const std::string& key, const ProxyCheck& check);
    void showProgress();
    void batchEnded(bool cancelled);

    skin::DialogTemplate controls_;
    QTreeWidget* list_;
    app::CheckRunner* runner_;
    app::CheckRunner::Checker checker_;
    // The key of each proxy the running batch checks, by its index there.
    std::vector<std::string> checking_;
    QHash<QString, QTreeWidgetItem*> itemsByKey_;
};

}  // namespace veilport::proxypool::ui
