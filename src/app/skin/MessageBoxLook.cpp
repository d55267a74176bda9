#include "app/skin/MessageBoxLook.h"

#include <QLabel>

#include "app/skin/BitmapButton.h"
#include "app/skin/Pictures.h"

namespace veilport::skin {

void applyMessageBoxLook(SkinnedDialog& box, DialogTemplate& controls, int textId, int okId) {
    box.setWindowTitle(QStringLiteral("Veilport"));
    box.setWindowIcon(applicationIcon());
    box.setBackgroundPicture(picture::kDialogBackground);
    auto* text = controls.control<QLabel>(textId);
    QPalette textPalette = text->palette();
    textPalette.setColor(QPalette::WindowText, QColor(0x1E, 0x2B, 0x45));
    text->setPalette(textPalette);
    text->setAlignment(Qt::AlignCenter);
    auto* ok = controls.control<BitmapButton>(okId);
    ok->setPictures(picture::kOkNormal, picture::kOkPressed, picture::kOkHover,
                    picture::kOkDisabled, picture::kOkFocus);
    // A picture button has no text of its own for a screen reader to read.
    ok->setAccessibleName(QStringLiteral("OK"));
}

}  // namespace veilport::skin
