#pragma once

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"

namespace veilport::proxypool::ui {

// Which address the browser traffic leaves from now: the upstream proxy
// while anonymity is on, else the computer's own address; Change Proxy goes
// to the New list.
class CurrentProxyPanel : public app::Page {
    Q_OBJECT

public:
    static constexpr int kAddressId = 1039;
    static constexpr int kChangeProxyId = 1001;

    CurrentProxyPanel(app::PageHost& host, QWidget* parent);

    void pageShown() override;
    void onPoolChanged() override;

    QString addressText() const;

private:
    skin::DialogTemplate controls_;
};

}  // namespace veilport::proxypool::ui
