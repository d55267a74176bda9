#include "app/help/MenuButton.h"

namespace veilport::app {

MenuButton::MenuButton(QWidget* parent) : BitmapButton(skin::ButtonStyle::PushButton, parent) {
    connect(this, &QAbstractButton::clicked, this, &MenuButton::openMenu);
}

void MenuButton::appendItem(int command, const QString& text) {
    if (text.isEmpty()) {
        menu_.addSeparator();
    } else {
        QAction* action = menu_.addAction(text);
        connect(action, &QAction::triggered, this,
                [this, command] { emit commandChosen(command); });
    }
    hasItems_ = true;
}

void MenuButton::openMenu() {
    if (!hasItems_) return;
    setFocus(Qt::MouseFocusReason);
    update();
    menu_.popup(mapToGlobal(rect().bottomLeft() + QPoint(0, 1)));
}

}  // namespace veilport::app
