#include "app/skin/ConfirmDialog.h"

#include <QKeyEvent>
#include <QLabel>

#include "app/skin/BitmapButton.h"
#include "app/skin/HelpRequest.h"
#include "app/skin/MessageBoxLook.h"
#include "app/skin/Pictures.h"

namespace veilport::skin {

ConfirmDialog::ConfirmDialog(QWidget* parent)
    : SkinnedDialog(parent, Kind::TopLevel),
      controls_(this, {289, 151},
                {
                    {kTextId, ControlKind::StaticCentred, 7, 40, 276, 42},
                    {kOkId, ControlKind::BitmapPushButton, 80, 118, 50, 14},
                    {kCancelId, ControlKind::BitmapPushButton, 160, 118, 50, 14},
                }) {
    applyMessageBoxLook(*this, controls_, kTextId, kOkId);
    auto* cancel = controls_.control<BitmapButton>(kCancelId);
    cancel->setPictures(picture::kCancelNormal, picture::kCancelPressed, picture::kCancelHover, 0,
                        0);
    cancel->setAccessibleName(QStringLiteral("Cancel"));
    cancel->setFocus();
    controls_.onClicked(kOkId, [this] { accept(); });
    controls_.onClicked(kCancelId, [this] { reject(); });
}

void ConfirmDialog::setText(const QString& text) {
    controls_.control<QLabel>(kTextId)->setText(text);
}

QString ConfirmDialog::text() const {
    return controls_.control<QLabel>(kTextId)->text();
}

bool ConfirmDialog::ask(QWidget* parent, const QString& text) {
    ConfirmDialog dialog(parent);
    dialog.setText(text);
    return dialog.exec() == QDialog::Accepted;
}

void ConfirmDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        requestHelp();
        return;
    }
    SkinnedDialog::keyPressEvent(event);
}

}  // namespace veilport::skin
