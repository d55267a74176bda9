#include "app/window/WindowMessages.h"

#include <QMessageBox>

#include "app/skin/MessageDialog.h"

namespace veilport::app {

void WindowMessages::showMessage(const std::string& text) {
    skin::MessageDialog::showMessage(owner_, QString::fromStdString(text));
}

void WindowMessages::showSystemMessageBox(const std::string& text, const std::string& caption) {
    QMessageBox::information(owner_, QString::fromStdString(caption), QString::fromStdString(text));
}

bool WindowMessages::askYesNo(const std::string& question) {
    return QMessageBox::question(
               owner_, QStringLiteral("Veilport"), QString::fromStdString(question),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace veilport::app
