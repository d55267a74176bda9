#pragma once

#include <QMenu>

#include "app/skin/BitmapButton.h"

namespace veilport::app {

// A picture button that owns a pop-up menu: a click opens the menu under the
// button's bottom-left corner, and the chosen item's command is reported.
class MenuButton : public skin::BitmapButton {
    Q_OBJECT

public:
    explicit MenuButton(QWidget* parent = nullptr);

    // Appends an item; an empty text appends a separator.
    void appendItem(int command, const QString& text);
    bool hasItems() const { return hasItems_; }
    QMenu& menu() { return menu_; }

signals:
    void commandChosen(int command);

private:
    void openMenu();

    QMenu menu_;
    bool hasItems_ = false;
};

}  // namespace veilport::app
