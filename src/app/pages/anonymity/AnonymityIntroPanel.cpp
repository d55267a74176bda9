#include "app/pages/anonymity/AnonymityIntroPanel.h"

#include "app/pagekit/PageControls.h"

namespace veilport::proxypool::ui {

using skin::ControlKind;

AnonymityIntroPanel::AnonymityIntroPanel(app::PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(this, app::kPageSizeInUnits,
                {
                    {1071, ControlKind::Static, 14, 14, 245, 30,
                     "The anonymity feature allows you to hide your real IP address by routing "
                     "your traffic through foreign proxies."},
                    {1072, ControlKind::Static, 14, 52, 245, 50,
                     "It lets you interact with websites: write messages, play or cast votes. Use "
                     "the wizard to have proxies sorted or check the left section to learn more "
                     "about how to manage and use proxies in order to stay invisible online."},
                }) {
    app::dressPage(this);
}

}  // namespace veilport::proxypool::ui
