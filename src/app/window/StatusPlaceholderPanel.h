#pragma once

#include "app/skin/DialogTemplate.h"
#include "app/window/AnonymityControl.h"
#include "app/window/Page.h"

namespace veilport::app {

// The status page's place until the real status page lands: it shows a line
// of text and keeps the machine in the "off" state. Switching anonymity on is
// not offered yet, so both switch operations take the "off" path.
class StatusPlaceholderPanel : public Page, public AnonymityControl {
    Q_OBJECT

public:
    StatusPlaceholderPanel(PageHost& host, QWidget* parent);

    bool ApplyAnonymity() override;
    void ToggleAnonymity() override;
    QString realIp() const override { return QStringLiteral("Unkwon IP"); }
    void refreshLists() override {}

private:
    void switchOff();

    skin::DialogTemplate controls_;
};

}  // namespace veilport::app
