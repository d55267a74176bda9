#pragma once

#include <QPoint>
#include <functional>
#include <optional>

#include "app/pagekit/CheckRunner.h"
#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"
#include "proxypool/ConnectTime.h"
#include "proxypool/ProxyRecord.h"

class QMenu;
class QTreeWidget;

namespace veilport::proxypool::ui {

// The tested list: the user's proxies with their last measurements. Use
// selected (or a double-click) switches to the selected proxy; a right-click
// on a selection offers removing and testing. A Tor found on this machine is
// offered below the rows until it is in the list.
class TestedProxiesPanel : public app::Page {
    Q_OBJECT

public:
    static constexpr int kListId = 1032;
    static constexpr int kUseSelectedId = 1001;
    static constexpr int kCountId = 1042;
    static constexpr int kProgressId = 1043;
    static constexpr int kCancelId = 1041;
    // The check columns follow the list's own.
    static constexpr int kFirstCheckColumn = ProxyRecord::kColumnCount;

    // The context menu's commands, in menu order.
    enum class Command { RemoveProxy = 1, RemoveAllProxies, TestProxy, TestAllProxies };

    TestedProxiesPanel(app::PageHost& host, QWidget* parent);

    void onPoolChanged() override { showRows(); }

    QTreeWidget* list() const { return list_; }

    void useSelected();
    // The menu for a right-click at globalPos; nothing without a selection.
    void showContextMenu(QPoint globalPos);
    void runCommand(Command command);
    // True while Test All Proxies runs; the list is not for changing then.
    bool testingAll() const { return testingAll_; }
    // Ends a running Test All within about a second; what was checked stays.
    void cancelTestAll();
    const app::CheckRunner& runner() const { return *runner_; }

    // Tests replace how the menu is shown (it answers the command chosen, or
    // nothing) and how Test All Proxies checks: with the judge the settings
    // name, unless a checker or a bare connect measure is given.
    using MenuRunner = std::function<std::optional<Command>(QMenu& menu, QPoint at)>;
    void setMenuRunner(MenuRunner runner) { menuRunner_ = std::move(runner); }
    void setConnectMeasure(ConnectMeasure measure);
    void setChecker(app::CheckRunner::Checker checker) { checker_ = std::move(checker); }

private:
    void showRows();
    // Whether a row of the view is the offer of this machine's Tor.
    bool isOffer(int row) const;
    void useLocalTor();
    void removeFirstSelected();
    void removeAll();
    void testFirstSelected();
    void testAll();
    void saveList();
    void changed();
    void checked(int index, const ProxyCheck& check);
    void testAllEnded();
    void showProgress(bool cancelled = false);

    skin::DialogTemplate controls_;
    QTreeWidget* list_;
    MenuRunner menuRunner_;
    app::CheckRunner::Checker checker_;
    app::CheckRunner* runner_;
    // The running Test All's proxies and the rows' addresses, by index.
    std::vector<ListedProxy> checking_;
    std::vector<std::string> addresses_;
    bool testingAll_ = false;
};

}  // namespace veilport::proxypool::ui
