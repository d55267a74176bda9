#include "app/pages/anonymity/AddProxyPanel.h"

#include <QLineEdit>
#include <QPushButton>

#include "app/pagekit/PageControls.h"
#include "app/pagekit/PoolModel.h"
#include "app/skin/BitmapButton.h"
#include "proxypool/TestAndAdopt.h"
#include "proxypool/Upstream.h"
#include "services/LocalTor.h"

namespace veilport::proxypool::ui {

using skin::ControlKind;

AddProxyPanel::AddProxyPanel(app::PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(this, app::kPageSizeInUnits,
                {
                    {1071, ControlKind::Static, 14, 12, 245, 42,
                     "If you know other anonymous proxies that are not in the list and would like "
                     "to use them with Veilport, you may add them to the already tested proxy "
                     "list. In order to do so, write them in the blank form respecting the "
                     "following syntax:"},
                    {1072, ControlKind::Static, 14, 56, 245, 10,
                     "ProxyIPAddress:ProxyPortNumber, ie: 12.12.12.12:80"},
                    {1074, ControlKind::Static, 14, 67, 245, 22,
                     "or socks5h://host:port, http://user@host:port, host:port:user:password"},
                    {kFieldId, ControlKind::Edit, 14, 94, 245, 13},
                    {1073, ControlKind::Static, 14, 112, 245, 20,
                     "To add more than one proxy, click apply after each introduction"},
                    {1075, ControlKind::Static, 14, 136, 120, 10, "Password (for a user name):"},
                    {kPasswordId, ControlKind::Edit, 136, 134, 123, 13},
                    {kLocalTorId, ControlKind::PushButton, 14, 160, 245, 14},
                    {kApplyId, ControlKind::BitmapPushButton, 209, 190, 50, 15},
                }),
      field_(controls_.control<QLineEdit>(kFieldId)),
      password_(controls_.control<QLineEdit>(kPasswordId)) {
    app::dressPage(this);
    app::dressPageButton(controls_.control<skin::BitmapButton>(kApplyId), app::PageButton::Apply);
    app::nameControls(controls_, {{kFieldId, "Proxy IP address and port"},
                                  {kPasswordId, "Proxy password"},
                                  {kLocalTorId, "Tor on this machine"}});
    // Never shown, never offered to an input method's history.
    password_->setEchoMode(QLineEdit::Password);
    password_->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhNoPredictiveText |
                                   Qt::ImhSensitiveData);
    controls_.onClicked(kApplyId, [this] { apply(); });
    controls_.onClicked(kLocalTorId, [this] { useLocalTor(); });
    showLocalTor();
}

QPushButton* AddProxyPanel::localTorOffer() const {
    return controls_.control<QPushButton>(kLocalTorId);
}

void AddProxyPanel::pageShown() {
    showLocalTor();
    // Tor may have been started since the last look.
    host().pool().lookForLocalTor();
}

void AddProxyPanel::showLocalTor() {
    const auto& tor = host().pool().localTor();
    localTorOffer()->setVisible(tor.has_value());
    if (tor) localTorOffer()->setText(QString::fromStdString(services::LocalTorEntry(*tor)));
}

void AddProxyPanel::useLocalTor() {
    const auto& tor = host().pool().localTor();
    if (!tor) return;
    field_->setText(QString::fromStdString(tor->displayText()));
    password_->clear();
}

void AddProxyPanel::apply() {
    const std::string text = field_->text().trimmed().toStdString();
    const std::string password = password_->text().toStdString();
    const auto parsed = ParseUpstream(text);
    // Typed here, a text that is no proxy is refused before any test starts.
    if (!text.empty() && !parsed) {
        host().messages().showMessage(parsed.error);
        return;
    }
    if (!password.empty() && parsed && !parsed.upstream->hasLogin()) {
        host().messages().showMessage("A password needs the proxy's user name: write it as user@" +
                                      parsed.upstream->hostPort() + " or scheme://user@" +
                                      parsed.upstream->hostPort() + ".");
        return;
    }
    auto context = host().pool().adoptContext();
    // A proxy typed here has no country.
    const auto outcome =
        TestAndAdopt(text, std::string(), AdoptEntryPoint::AddPanel, context, password);
    // Once kept (or tried for), the password leaves the window.
    if (outcome != AdoptOutcome::NotAdopted) password_->clear();
}

}  // namespace veilport::proxypool::ui
