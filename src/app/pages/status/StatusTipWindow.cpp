#include "app/pages/status/StatusTipWindow.h"

#include <QLabel>

namespace veilport::app {

namespace {

constexpr QRgb kTipGrey = 0xFF505050;  // RGB(80, 80, 80)

}  // namespace

StatusTipWindow::StatusTipWindow(QWidget* parent)
    : SkinnedDialog(parent, Kind::Child),
      controls_(this, {},
                {
                    {kAnonymityTipId, skin::ControlKind::Static, 0, 0, 133, 34},
                    {kPrivacyTipId, skin::ControlKind::Static, 0, 38, 133, 34},
                }) {
    for (const int id : {kAnonymityTipId, kPrivacyTipId}) {
        auto* line = controls_.control<QLabel>(id);
        QPalette palette = line->palette();
        palette.setColor(QPalette::WindowText, QColor::fromRgb(kTipGrey));
        line->setPalette(palette);
    }
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void StatusTipWindow::setAnonymityTip(const QString& text) {
    controls_.control<QLabel>(kAnonymityTipId)->setText(text);
    update();
}

void StatusTipWindow::setPrivacyTip(const QString& text) {
    controls_.control<QLabel>(kPrivacyTipId)->setText(text);
    update();
}

QString StatusTipWindow::anonymityTip() const {
    return controls_.control<QLabel>(kAnonymityTipId)->text();
}

QString StatusTipWindow::privacyTip() const {
    return controls_.control<QLabel>(kPrivacyTipId)->text();
}

void StatusTipWindow::paintEvent(QPaintEvent*) {
    // Transparent: the page's own background shows through.
}

}  // namespace veilport::app
