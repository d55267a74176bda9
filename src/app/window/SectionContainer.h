#pragma once

#include "app/skin/SkinnedDialog.h"
#include "app/window/SectionBar.h"

namespace veilport::app {

// The panel of one of the sections 2 to 4: its own bar with the section's
// title and a sub-button for each of its pages. The pages themselves are
// children of the main window, beside the container.
class SectionContainer : public skin::SkinnedDialog {
    Q_OBJECT

public:
    // Section 2, 3 or 4; the bar gets mode = section.
    SectionContainer(int section, int barPicture, QWidget* parent);

    int section() const { return section_; }
    SectionBar& bar() { return *bar_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int section_;
    SectionBar* bar_;
    int barPicture_;
    bool barDrawn_ = false;
};

}  // namespace veilport::app
