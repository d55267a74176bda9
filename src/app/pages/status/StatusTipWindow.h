#pragma once

#include <QString>

#include "app/skin/DialogTemplate.h"
#include "app/skin/SkinnedDialog.h"

namespace veilport::app {

// The status page's two-line tip window: what a click on the switch under the
// mouse would do. Grey text straight on the page, no background of its own.
class StatusTipWindow : public skin::SkinnedDialog {
    Q_OBJECT

public:
    static constexpr int kAnonymityTipId = 1076;
    static constexpr int kPrivacyTipId = 1077;

    explicit StatusTipWindow(QWidget* parent);

    void setAnonymityTip(const QString& text);
    void setPrivacyTip(const QString& text);
    QString anonymityTip() const;
    QString privacyTip() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    skin::DialogTemplate controls_;
};

}  // namespace veilport::app
