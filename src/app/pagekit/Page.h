#pragma once

#include "app/pagekit/PageHost.h"
#include "app/skin/SkinnedDialog.h"

namespace veilport::app {

// The base of every page of the main window's content area: a child skinned
// dialog with the page background, the keys every page shares (F1 asks for
// help, Escape hides the window to the tray without the notice, Enter does
// nothing) and the hooks the main window calls as pages come and go.
class Page : public skin::SkinnedDialog {
    Q_OBJECT

public:
    Page(PageHost& host, QWidget* parent);

    PageHost& host() const { return host_; }

    // Called by the main window each time the page is shown in the content
    // area, and when another page replaces it.
    virtual void pageShown() {}
    virtual void pageLeft() {}

    // The pool's lists changed (PoolModel::changed).
    virtual void onPoolChanged() {}

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    PageHost& host_;
};

}  // namespace veilport::app
