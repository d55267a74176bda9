#include "app/skin/MessageDialog.h"

#include <QKeyEvent>
#include <QLabel>

#include "app/skin/BitmapButton.h"
#include "app/skin/HelpRequest.h"
#include "app/skin/MessageBoxLook.h"
#include "app/skin/Pictures.h"

namespace veilport::skin {

MessageDialog::MessageDialog(QWidget* parent)
    : SkinnedDialog(parent, Kind::TopLevel),
      controls_(this, {289, 151},
                {
                    {kTextId, ControlKind::StaticCentred, 7, 40, 276, 42},
                    {kOkId, ControlKind::BitmapPushButton, 120, 118, 50, 14},
                }) {
    applyMessageBoxLook(*this, controls_, kTextId, kOkId);
    controls_.control<BitmapButton>(kOkId)->setFocus();
    controls_.onClicked(kOkId, [this] { accept(); });
}

void MessageDialog::setText(const QString& text) {
    controls_.control<QLabel>(kTextId)->setText(text);
}

QString MessageDialog::text() const {
    return controls_.control<QLabel>(kTextId)->text();
}

void MessageDialog::showMessage(QWidget* parent, const QString& text) {
    MessageDialog dialog(parent);
    dialog.setText(text);
    dialog.exec();
}

void MessageDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        requestHelp();
        return;
    }
    // Enter is OK, as in any message box; Escape closes it the same way.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    SkinnedDialog::keyPressEvent(event);
}

}  // namespace veilport::skin
