#include "app/window/SectionContainer.h"

#include <QKeyEvent>
#include <QShowEvent>

#include "app/skin/HelpRequest.h"

namespace veilport::app {

SectionContainer::SectionContainer(int section, int barPicture, QWidget* parent)
    : SkinnedDialog(parent, Kind::Child),
      section_(section),
      bar_(new SectionBar(section, this)),
      barPicture_(barPicture) {
    setFixedSize(200, 350);
    bar_->setGeometry(0, 0, 200, 350);
}

void SectionContainer::showEvent(QShowEvent* event) {
    // Drawn when the section is first entered: a session that never opens a
    // section does not keep its bar's picture.
    if (!barDrawn_) {
        bar_->setBackgroundPicture(barPicture_);
        barDrawn_ = true;
    }
    SkinnedDialog::showEvent(event);
}

void SectionContainer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        skin::requestHelp();
        return;
    }
    event->ignore();
}

}  // namespace veilport::app
