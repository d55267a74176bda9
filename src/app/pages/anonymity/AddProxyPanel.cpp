#include "app/pages/anonymity/AddProxyPanel.h"

#include <QLineEdit>

#include "app/pagekit/PageControls.h"
#include "app/pagekit/PoolModel.h"
#include "app/skin/BitmapButton.h"
#include "proxypool/TestAndAdopt.h"

namespace veilport::proxypool::ui {

using skin::ControlKind;

AddProxyPanel::AddProxyPanel(app::PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(this, app::kPageSizeInUnits,
                {
                    {1071, ControlKind::Static, 14, 12, 245, 60,
                     "If you know other anonymous proxies that are not in the list and would like "
                     "to use them with Veilport, you may add them to the already tested proxy "
                     "list. In order to do so, write them in the blank form respecting the "
                     "following syntax:"},
                    {1072, ControlKind::Static, 14, 78, 245, 10,
                     "ProxyIPAddress:ProxyPortNumber, ie: 12.12.12.12:80"},
                    {kFieldId, ControlKind::Edit, 14, 94, 245, 13},
                    {1073, ControlKind::Static, 14, 114, 245, 20,
                     "To add more than one proxy, click apply after each introduction"},
                    {kApplyId, ControlKind::BitmapPushButton, 209, 190, 50, 15},
                }),
      field_(controls_.control<QLineEdit>(kFieldId)) {
    app::dressPage(this);
    app::dressPageButton(controls_.control<skin::BitmapButton>(kApplyId), app::PageButton::Apply);
    app::nameControls(controls_, {{kFieldId, "Proxy IP address and port"}});
    controls_.onClicked(kApplyId, [this] { apply(); });
}

void AddProxyPanel::apply() {
    auto context = host().pool().adoptContext();
    // A proxy typed here has no country.
    TestAndAdopt(field_->text().toStdString(), std::string(), AdoptEntryPoint::AddPanel, context);
}

}  // namespace veilport::proxypool::ui
