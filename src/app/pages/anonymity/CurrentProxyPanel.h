#pragma once

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"

class QCheckBox;

namespace veilport::proxypool::ui {

// Which address the browser traffic leaves from now: the upstream proxy
// while anonymity is on, else the computer's own address; Change Proxy goes
// to the New list. The failover box says whether a failing upstream gives way
// to the next tested proxy that answers.
class CurrentProxyPanel : public app::Page {
    Q_OBJECT

public:
    static constexpr int kAddressId = 1039;
    static constexpr int kChangeProxyId = 1001;
    static constexpr int kFailoverId = 1040;

    CurrentProxyPanel(app::PageHost& host, QWidget* parent);

    void pageShown() override;
    void onPoolChanged() override;

    QString addressText() const;
    QCheckBox* failoverBox() const;

private:
    void showFailover();

    skin::DialogTemplate controls_;
};

}  // namespace veilport::proxypool::ui
