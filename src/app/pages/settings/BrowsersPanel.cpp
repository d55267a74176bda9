#include "app/pages/settings/BrowsersPanel.h"

#include <QCheckBox>

#include "app/pagekit/AnonymityOutcomeMessages.h"
#include "app/pagekit/PageControls.h"
#include "app/pagekit/PoolModel.h"
#include "app/skin/BitmapButton.h"

namespace veilport::browsers::ui {

using skin::ControlKind;

namespace {

constexpr const char* kFollowersText =
    "Desktop proxy settings: the GNOME and KDE proxy settings, which Chromium, Chrome, Brave, "
    "Edge, Vivaldi and GNOME Web follow.";

}  // namespace

int BrowsersPanel::boxId(Browser browser) {
    switch (browser) {
        case Browser::InternetExplorer:
            return 1041;
        case Browser::Netscape:
            return 1042;
        case Browser::Opera:
            return 1043;
        case Browser::Mozilla:
            return 1044;
        case Browser::Firefox:
            return 1045;
        case Browser::Avant:
            return 1046;
    }
    return 0;
}

BrowsersPanel::BrowsersPanel(app::PageHost& host, QWidget* parent, BrowserConfigurator& steps)
    : Page(host, parent),
      controls_(this, app::kPageSizeInUnits,
                {
                    {1071, ControlKind::Static, 14, 12, 245, 40,
                     "You may use Veilport to work with several browser. In order to have "
                     "Veilport configure automatically which browser to be used with Veilport, "
                     "mark your choise."},
                    // The boxes' texts come from the browsers found (showMembers).
                    // The second column is wider for "Mozilla (SeaMonkey) (not found)".
                    {1041, ControlKind::CheckBox, 24, 60, 106, 12},
                    {1042, ControlKind::CheckBox, 24, 76, 106, 12},
                    {1043, ControlKind::CheckBox, 24, 92, 106, 12},
                    {1044, ControlKind::CheckBox, 128, 60, 140, 12},
                    {1045, ControlKind::CheckBox, 128, 76, 140, 12},
                    {1046, ControlKind::CheckBox, 128, 92, 140, 12},
                    {kFollowersId, ControlKind::Static, 14, 110, 245, 20, kFollowersText},
                    {1072, ControlKind::Static, 14, 134, 245, 40,
                     "Before configuring the browsers you would like to work with Veilport, "
                     "make sure that all of their windows are closed, except for those that "
                     "follow the desktop proxy settings."},
                    {kApplyId, ControlKind::BitmapPushButton, 209, 190, 50, 15},
                }),
      logic_(steps) {
    app::dressPage(this);
    app::dressPageButton(controls_.control<skin::BitmapButton>(kApplyId), app::PageButton::Apply);
    for (Browser browser : kAllBrowsers)
        connect(box(browser), &QCheckBox::clicked, this, [this, browser] { boxClicked(browser); });
    controls_.onClicked(kApplyId, [this] { apply(); });
    logic_.LoadBrowserPage();
    showMembers();
}

QCheckBox* BrowsersPanel::box(Browser browser) const {
    return controls_.control<QCheckBox>(boxId(browser));
}

void BrowsersPanel::readBoxes() {
    for (Browser browser : kAllBrowsers) logic_.setTicked(browser, box(browser)->isChecked());
}

void BrowsersPanel::showMembers() {
    for (Browser browser : kAllBrowsers) {
        // A box stays usable for a browser found by its profile folder alone.
        QString text = QString::fromUtf8(BrowserLabel(browser).data(),
                                         static_cast<int>(BrowserLabel(browser).size()));
        if (!IsBrowserFound(browser)) text += QStringLiteral(" (not found)");
        box(browser)->setText(text);
        box(browser)->setAccessibleName(text);
        box(browser)->setChecked(logic_.ticked(browser));
        box(browser)->setEnabled(logic_.enabled(browser));
    }
}

void BrowsersPanel::pageShown() {
    logic_.LoadBrowserPage();
    showMembers();
}

void BrowsersPanel::boxClicked(Browser browser) {
    readBoxes();
    logic_.OnBoxClicked(browser);
    for (Browser each : kAllBrowsers) box(each)->setChecked(logic_.ticked(each));
}

void BrowsersPanel::apply() {
    readBoxes();
    // The anonymity service shows its own outcome; the boxes' own switching
    // (a browser ticked or cleared while anonymity is on) is shown here.
    const auto report =
        logic_.ApplyBrowserPage([this] { static_cast<void>(host().anonymity().applyStored()); });
    app::ShowSwitchFailures(report, host().messages());
    showMembers();
}

}  // namespace veilport::browsers::ui
