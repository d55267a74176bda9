#include "app/window/SectionBar.h"

#include <QKeyEvent>

#include "app/skin/HelpRequest.h"
#include "app/skin/Pictures.h"

namespace veilport::app {

SectionBar::SectionBar(int mode, QWidget* parent)
    : SkinnedDialog(parent, Kind::Child), mode_(mode) {}

skin::BitmapButton* SectionBar::addButton(int normalPicture, const QString& name) {
    auto* button = new skin::BitmapButton(skin::ButtonStyle::PushButton, this);
    namespace pic = skin::picture;
    button->setPictures(normalPicture, normalPicture + pic::kButtonPressedOffset,
                        normalPicture + pic::kButtonHoverOffset,
                        // A disabled button marks the page shown: it looks pressed.
                        normalPicture + pic::kButtonPressedOffset);
    button->setName(name);
    button->setAccessibleName(skin::pictureLabel(normalPicture));
    const int i = buttons_++;
    if (mode_ == kMainBar) {
        button->setGeometry(5, 3 + 50 * i, 130, 30);
    } else {
        // Seven buttons fit the bar's height below its title.
        button->setGeometry(11, 53 + 42 * i, 200, 40);
    }
    return button;
}

void SectionBar::record(QWidget* panel, skin::BitmapButton* button) {
    pairs_.push_back({panel, button});
}

int SectionBar::indexOf(const skin::BitmapButton* button) const {
    for (std::size_t i = 0; i < pairs_.size(); ++i)
        if (pairs_[i].button == button) return static_cast<int>(i);
    return -1;
}

void SectionBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        skin::requestHelp();
        return;
    }
    // A bar is no dialog of its own: Escape and Enter belong to the main
    // window, which hides to the tray or ignores them.
    event->ignore();
}

}  // namespace veilport::app
