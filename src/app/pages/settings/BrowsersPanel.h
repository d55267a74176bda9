#pragma once

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"
#include "browsers/BrowserPage.h"

class QCheckBox;

namespace veilport::browsers::ui {

// Which browsers Veilport points at the Gateway: one box per browser,
// usable only for browsers found here; apply stores the choice, edits the
// browsers' files and applies the anonymity state again.
class BrowsersPanel : public app::Page {
    Q_OBJECT

public:
    static constexpr int kApplyId = 1001;
    static constexpr int kFollowersId = 1074;

    BrowsersPanel(app::PageHost& host, QWidget* parent,
                  BrowserConfigurator& steps = RealBrowserConfigurator());

    // The box's control id (1041 to 1046).
    static int boxId(Browser browser);
    QCheckBox* box(Browser browser) const;

    void pageShown() override;
    void apply();

private:
    void readBoxes();
    void showMembers();
    void boxClicked(Browser browser);

    skin::DialogTemplate controls_;
    BrowserPage logic_;
};

}  // namespace veilport::browsers::ui
