#include "app/pages/anonymity/CurrentProxyPanel.h"

#include <QCheckBox>
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
                    {kFailoverId, ControlKind::CheckBox, 14, 130, 245, 12,
                     "Failover to the next tested proxy"},
                    {kChangeProxyId, ControlKind::BitmapPushButton, 183, 190, 76, 15},
                }) {
    app::dressPage(this);
    controls_.control(kAddressId)->setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    app::dressPageButton(controls_.control<skin::BitmapButton>(kChangeProxyId),
                         app::PageButton::ChangeProxy);
    controls_.onClicked(kChangeProxyId, [this] { this->host().showPage(app::PageId::NewProxies); });
    // The Gateway reads the setting at each failure, so a click applies at once.
    connect(failoverBox(), &QCheckBox::toggled, this, [](bool on) {
        DwordSetting failover(settings::kFailover);
        failover.set(on ? 1 : 0);
        failover.write();
    });
    showFailover();
}

QCheckBox* CurrentProxyPanel::failoverBox() const {
    return controls_.control<QCheckBox>(kFailoverId);
}

void CurrentProxyPanel::showFailover() {
    // veilportctl may have changed it meanwhile; showing it is no change.
    const QSignalBlocker quiet(failoverBox());
    failoverBox()->setChecked(DwordSetting(settings::kFailover).get() == 1);
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
    showFailover();
}

void CurrentProxyPanel::onPoolChanged() {
    if (isVisible()) pageShown();
}

}  // namespace veilport::proxypool::ui
