#include "app/help/MenuButton.h"

namespace veilport::app {

MenuButton::MenuButton(QWidget* parent) : BitmapButton(skin::ButtonStyle::PushButton, parent) {
    connect(this, &QAbstractButton::clicked, this, &MenuButton::openMenu);
}

void MenuButton::appendItem(QAction* action) {
    if (action == nullptr)
        menu_.addSeparator();
    else
        menu_.addAction(action);
    hasItems_ = true;
}

void MenuButton::openMenu() {
    if (!hasItems_) return;
    setFocus(Qt::MouseFocusReason);
    update();
    menu_.popup(mapToGlobal(rect().bottomLeft() + QPoint(0, 1)));
}

}  // namespace veilport::app
