#include "app/window/HintDialog.h"

#include <QKeyEvent>
#include <QLabel>

#include "app/skin/BitmapButton.h"
#include "app/skin/HelpRequest.h"
#include "app/skin/Pictures.h"
#include "settings/DwordSetting.h"

namespace veilport::app {

using skin::ControlKind;

HintDialog::HintDialog(QWidget* parent)
    : SkinnedDialog(parent, Kind::TopLevel),
      controls_(this, {289, 151},
                {
                    {kTextId, ControlKind::Static, 16, 38, 258, 48, kText},
                    {kDoNotShowId, ControlKind::BitmapCheckBox, 16, 92, 12, 12},
                    {skin::DialogTemplate::kStaticId, ControlKind::Static, 32, 94, 200, 10,
                     "Do not show this message again"},
                    {kOkId, ControlKind::BitmapPushButton, 120, 118, 50, 14},
                }) {
    setWindowTitle(QStringLiteral("Veilport"));
    setWindowIcon(skin::applicationIcon());
    setBackgroundPicture(skin::picture::kDialogBackground);
    auto* text = controls_.control<QLabel>(kTextId);
    QPalette palette = text->palette();
    palette.setColor(QPalette::WindowText, QColor(0x1E, 0x2B, 0x45));
    text->setPalette(palette);

    namespace pic = skin::picture;
    auto* box = controls_.control<skin::BitmapButton>(kDoNotShowId);
    box->setPictures(pic::kCheckNormal, pic::kCheckChecked, pic::kCheckHover, pic::kCheckDisabled,
                     0, 0, skin::BitmapButton::kUnscaled);
    box->setAccessibleName(QStringLiteral("Do not show this message again"));
    auto* okButton = controls_.control<skin::BitmapButton>(kOkId);
    okButton->setPictures(pic::kOkNormal, pic::kOkPressed, pic::kOkHover, pic::kOkDisabled,
                    pic::kOkFocus);
    okButton->setAccessibleName(QStringLiteral("OK"));
    okButton->setFocus();
    controls_.onClicked(kOkId, [this] { ok(); });
}

void HintDialog::setDoNotShowAgain(bool ticked) {
    controls_.control<skin::BitmapButton>(kDoNotShowId)->setChecked(ticked);
}

void HintDialog::ok() {
    const bool ticked = controls_.control<skin::BitmapButton>(kDoNotShowId)->isChecked();
    DwordSetting(settings::kHideHint).set(ticked ? 0 : 1);
    accept();
}

void HintDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        skin::requestHelp();
        return;
    }
    SkinnedDialog::keyPressEvent(event);
}

}  // namespace veilport::app
