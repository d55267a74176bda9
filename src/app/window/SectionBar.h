#pragma once

#include <QWidget>
#include <vector>

#include "app/skin/BitmapButton.h"
#include "app/skin/SkinnedDialog.h"

namespace veilport::app {

// A bar of picture buttons, each paired with the panel it shows: the main
// bar (mode 1) down the window's left side, and the bar of each of the
// sections 2 to 4 (modes 2 to 4) inside its container. The bar only lays its
// buttons out; the main window connects each and decides what is shown.
class SectionBar : public skin::SkinnedDialog {
    Q_OBJECT

public:
    static constexpr int kMainBar = 1;

    struct Pair {
        QWidget* panel;
        skin::BitmapButton* button;
    };

    SectionBar(int mode, QWidget* parent);

    int mode() const { return mode_; }

    // A new button at the next place of the bar, drawn from the picture with
    // this identifier and its pressed and hover pictures; it carries no text,
    // its picture shows its label, which is also its accessible name.
    skin::BitmapButton* addButton(int normalPicture, const QString& name);
    void record(QWidget* panel, skin::BitmapButton* button);

    const std::vector<Pair>& pairs() const { return pairs_; }
    // The index of the pair of this button, or -1.
    int indexOf(const skin::BitmapButton* button) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int mode_;
    int buttons_ = 0;
    std::vector<Pair> pairs_;
};

}  // namespace veilport::app
