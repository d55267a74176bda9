#pragma once

#include <QPoint>
#include <functional>
#include <optional>

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"
#include "proxypool/ConnectTime.h"

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

    // Tests replace how the menu is shown (it answers the command chosen, or
    // nothing) and how Test All Proxies measures.
    using MenuRunner = std::function<std::optional<Command>(QMenu& menu, QPoint at)>;
    void setMenuRunner(MenuRunner runner) { menuRunner_ = std::move(runner); }
    void setConnectMeasure(ConnectMeasure measure) { measure_ = std::move(measure); }

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

    skin::DialogTemplate controls_;
    QTreeWidget* list_;
    MenuRunner menuRunner_;
    ConnectMeasure measure_;
    bool testingAll_ = false;
};

}  // namespace veilport::proxypool::ui
