#include "app/pages/IntroPanels.h"

#include <QLabel>

namespace veilport::app {

namespace {

using skin::ControlKind;
using skin::DialogTemplate;

// Page texts are grey on the page's own background.
void greyTexts(QWidget& page) {
    for (auto* label : page.findChildren<QLabel*>()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(80, 80, 80));
        label->setPalette(palette);
    }
}

}  // namespace

// Pages are 410 x 360 pixels: 273 x 221 dialog units.
PrivacyIntroPanel::PrivacyIntroPanel(PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(this, {273, 221},
                {
                    {DialogTemplate::kStaticId, ControlKind::Static, 14, 16, 245, 50,
                     "Veilport provides two categories of protection: block Invasive code such "
                     "as Java Script and ActiveX, and clean internet traces. Define and shedule "
                     "cleaning tasks using the left buttons."},
                    {DialogTemplate::kStaticId, ControlKind::Static, 14, 76, 245, 40,
                     "Online privacy refers to the posiblility of cleaning information stored "
                     "on a computer, eliminating the posibility of online activity tracking."},
                }) {
    greyTexts(*this);
}

SettingsIntroPanel::SettingsIntroPanel(PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(this, {273, 221},
                {
                    {DialogTemplate::kStaticId, ControlKind::Static, 14, 16, 245, 60,
                     "Learn how to configure automatically browsers to run with Veilport.\n\n"
                     "Configure Veilport to run at start up."},
                }) {
    greyTexts(*this);
}

PlaceholderPanel::PlaceholderPanel(const QString& title, PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(this, {273, 221},
                {
                    {1, ControlKind::Static, 14, 16, 245, 20},
                }) {
    controls_.control<QLabel>(1)->setText(title);
    greyTexts(*this);
}

}  // namespace veilport::app
