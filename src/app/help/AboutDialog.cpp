#include "app/help/AboutDialog.h"

#include <QKeyEvent>
#include <QLabel>

#include "app/skin/BitmapButton.h"
#include "app/skin/HelpRequest.h"
#include "app/skin/Pictures.h"

namespace veilport::app {

using skin::ControlKind;

AboutDialog::AboutDialog(bool withPictures, QWidget* parent)
    : SkinnedDialog(parent, Kind::TopLevel),
      withPictures_(withPictures),
      controls_(this, {289, 151},
                {
                    {kVersionId, ControlKind::StaticCentred, 7, 44, 276, 14, "Version 2.5"},
                    {kLineId, ControlKind::StaticCentred, 20, 62, 250, 30, kSecondLine},
                    {kOkId, ControlKind::BitmapPushButton, 120, 118, 50, 14},
                }) {
    setWindowTitle(QStringLiteral("About Veilport"));
    setWindowIcon(skin::applicationIcon());
    auto* version = controls_.control<QLabel>(kVersionId);
    QFont bold = version->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    version->setFont(bold);
    for (auto* label : {version, controls_.control<QLabel>(kLineId)}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(0x1E, 0x2B, 0x45));
        label->setPalette(palette);
    }
    auto* ok = controls_.control<skin::BitmapButton>(kOkId);
    ok->setAccessibleName(QStringLiteral("OK"));
    if (withPictures_) {
        namespace pic = skin::picture;
        setBackgroundPicture(pic::kDialogBackground);
        ok->setPictures(pic::kOkNormal, pic::kOkPressed, pic::kOkHover, pic::kOkDisabled,
                        pic::kOkFocus);
    } else {
        // Without pictures the button shows its caption and a frame, and the
        // window keeps the desktop's frame: nothing would shape it.
        ok->setText(QStringLiteral("OK"));
        ok->setPictures(skin::BitmapButton::Pictures{{}, {}, {}, {}, {}, {}, 0, true, 0});
        setWindowFlags(Qt::Dialog);
    }
    ok->setFocus();
    controls_.onClicked(kOkId, [this] { accept(); });
}

void AboutDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        skin::requestHelp();
        return;
    }
    SkinnedDialog::keyPressEvent(event);
}

}  // namespace veilport::app
