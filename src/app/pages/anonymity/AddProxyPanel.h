#pragma once

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"

class QLineEdit;
class QPushButton;

namespace veilport::proxypool::ui {

// A proxy the user knows of: typed as ip:port or any other proxy form
// (socks5h://host:port, user@host:port, host:port:user:password ...), tested,
// and added to the tested list when it answers. A password is typed in its
// own masked field and goes to the password store, never into a list. The
// field keeps its text for the next one. When a Tor answers on this machine
// it is offered here; a click fills it in, Apply still tests and adopts.
class AddProxyPanel : public app::Page {
    Q_OBJECT

public:
    static constexpr int kFieldId = 1038;
    static constexpr int kApplyId = 1001;
    static constexpr int kPasswordId = 1039;
    static constexpr int kLocalTorId = 1040;

    AddProxyPanel(app::PageHost& host, QWidget* parent);

    QLineEdit* field() const { return field_; }
    QLineEdit* passwordField() const { return password_; }
    // The offer of this machine's Tor; hidden while none was found.
    QPushButton* localTorOffer() const;
    void apply();

    void pageShown() override;
    void onPoolChanged() override { showLocalTor(); }

private:
    void showLocalTor();
    void useLocalTor();

    skin::DialogTemplate controls_;
    QLineEdit* field_;
    QLineEdit* password_;
};

}  // namespace veilport::proxypool::ui
