#include "app/pages/anonymity/CurrentProxyPanel.h"

#include <QFontDatabase>
#include <QLabel>

#include "app/pagekit/PageControls.h"
#include "app/skin/BitmapButton.h"
#include "settings/AnonymityFlag.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::proxypool::ui {

using skin::ControlKind;

CurrentProxyPanel::CurrentProxyPanel(app::PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(this, app::kPageSizeInUnits,
                {
                    {1071, ControlKind::Static, 14, 12, 245, 66,
                     "This section presents the proxy you are currently using. According to your "
                     "settings, it may be your real IP, if anonymity is not enabled or an "
                     "anonymous proxy if anonymity is enabled. \n\nClick Change Proxy for "
                     "changing the current proxy"},
                    {skin::DialogTemplate::kStaticId, ControlKind::Static, 14, 90, 245, 10,
                     "Current IP Address in use:"},
                    {kAddressId, ControlKind::Static, 14, 104, 245, 12},
                    {kChangeProxyId, ControlKind::BitmapPushButton, 183, 190, 76, 15},
                }) {
    app::dressPage(this);
    controls_.control(kAddressId)->setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    app::dressPageButton(controls_.control<skin::BitmapButton>(kChangeProxyId),
                         app::PageButton::ChangeProxy);
    controls_.onClicked(kChangeProxyId, [this] { this->host().showPage(app::PageId::NewProxies); });
}

QString CurrentProxyPanel::addressText() const {
    return controls_.control<QLabel>(kAddressId)->text();
}

void CurrentProxyPanel::pageShown() {
    StringSetting proxyName(settings::kProxyName);
    const std::string name = proxyName.get();
    // The blanks indent the address inside its box.
    const QString text = AnonymityFlag::isOn() && !name.empty()
                             ? QStringLiteral("           %1").arg(QString::fromStdString(name))
                             : QStringLiteral("              %1").arg(host().realIp());
    controls_.control<QLabel>(kAddressId)->setText(text);
}

void CurrentProxyPanel::onPoolChanged() {
    if (isVisible()) pageShown();
}

}  // namespace veilport::proxypool::ui
