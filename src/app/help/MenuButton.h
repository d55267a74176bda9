#pragma once

#include <QMenu>

#include "app/skin/BitmapButton.h"

namespace veilport::app {

// A picture button that owns a pop-up menu: a click opens the menu under the
// button's bottom-left corner; each item is a command's own action.
class MenuButton : public skin::BitmapButton {
    Q_OBJECT

public:
    explicit MenuButton(QWidget* parent = nullptr);

    // Appends the action as an item; a null action appends a separator.
    void appendItem(QAction* action);
    bool hasItems() const { return hasItems_; }
    QMenu& menu() { return menu_; }

private:
    void openMenu();

    QMenu menu_;
    bool hasItems_ = false;
};

}  // namespace veilport::app
