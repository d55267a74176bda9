#include "app/window/StatusPlaceholderPanel.h"

#include <QLabel>

#include "settings/DwordSetting.h"

namespace veilport::app {

// 600 x 370 pixels: 400 x 228 dialog units.
StatusPlaceholderPanel::StatusPlaceholderPanel(PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(this, {400, 228},
                {
                    {skin::DialogTemplate::kStaticId, skin::ControlKind::Static, 14, 16, 370, 20,
                     "Online Anonymity: Disabled"},
                }) {
    setPlacementMode(kStretched);
}

void StatusPlaceholderPanel::switchOff() {
    host().connection().DisableConnectionProxy();
    DwordSetting(settings::kUseProxy).set(0);
    host().gateway().stop();
}

bool StatusPlaceholderPanel::ApplyAnonymity() {
    switchOff();
    return true;
}

void StatusPlaceholderPanel::ToggleAnonymity() {
    switchOff();
}

}  // namespace veilport::app
