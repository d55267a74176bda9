#include "app/window/SectionContainer.h"

#include <QKeyEvent>

#include "app/skin/HelpRequest.h"

namespace veilport::app {

SectionContainer::SectionContainer(int section, int barPicture, QWidget* parent)
    : SkinnedDialog(parent, Kind::Child), section_(section), bar_(new SectionBar(section, this)) {
    setFixedSize(200, 350);
    bar_->setGeometry(0, 0, 200, 350);
    bar_->setBackgroundPicture(barPicture);
}

void SectionContainer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        skin::requestHelp();
        return;
    }
    event->ignore();
}

}  // namespace veilport::app
