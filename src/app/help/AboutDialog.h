#pragma once

#include "app/skin/DialogTemplate.h"
#include "app/skin/SkinnedDialog.h"

namespace veilport::app {

// The About box: the version and one line about the program. From the help
// and tray menus it comes with its pictures; from the About entry that stands
// in for the system menu's, without them.
class AboutDialog : public skin::SkinnedDialog {
    Q_OBJECT

public:
    static constexpr int kVersionId = 1060;
    static constexpr int kLineId = 1061;
    static constexpr int kOkId = 1;
    static constexpr const char* kSecondLine =
        "Browse the web without showing your IP address, and leave no tracks behind.";

    explicit AboutDialog(bool withPictures, QWidget* parent = nullptr);

    bool hasPictures() const { return withPictures_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool withPictures_;
    skin::DialogTemplate controls_;
};

}  // namespace veilport::app
